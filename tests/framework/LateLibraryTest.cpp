// Libraries loaded at their first use: a missing library or function is reported in German
// when it is called, not at the program's start.
#include <windows.h>

#include "Exceptions.h"
#include "LateLibrary.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

TLateLibrary missing("ql-keine-solche-bibliothek.dll");
TLateLibrary kernel("kernel32.dll");
TLateFunction<decltype(&::GetTickCount)> missingLibraryFunction(missing, "GetTickCount");
TLateFunction<decltype(&::GetTickCount)> missingFunction(kernel, "QlKeineSolcheFunktion");
TLateFunction<decltype(&::lstrlenA)> present(kernel, "lstrlenA");

std::string MessageOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const Exception& error) {
        return error.Message();
    }
    return "(no error)";
}

}  // namespace

TEST(LateLibrary, LoadsAtTheFirstCallAndNamesWhatIsMissing)
{
    EXPECT_FALSE(missing.Loaded()) << "loaded before any call";
    EXPECT_EQ(present("vier"), 4);
    EXPECT_TRUE(kernel.Loaded());
    EXPECT_EQ(reinterpret_cast<void*>(present.Address()), kernel.Address("lstrlenA"));

    const std::string library = MessageOf([] { missingLibraryFunction(); });
    EXPECT_EQ(library.rfind("Die Bibliothek \"ql-keine-solche-bibliothek.dll\" kann nicht geladen werden", 0), 0u)
        << library;
    EXPECT_FALSE(missing.Loaded());
    EXPECT_EQ(MessageOf([] { missingFunction(); }),
              "Die Funktion \"QlKeineSolcheFunktion\" fehlt in der Bibliothek \"kernel32.dll\".");
    EXPECT_EQ(kernel.OptionalAddress("QlKeineSolcheFunktion"), nullptr);
}
