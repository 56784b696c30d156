// Redirects HKEY_CURRENT_USER (and optionally HKEY_LOCAL_MACHINE) into a scratch key for one
// test, so code under test uses the real registry without touching real values.
#pragma once

#include <windows.h>
#include <string>

class RegistrySandbox {
public:
    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    // The scratch key's path below the real HKEY_CURRENT_USER.
    const std::string& ScratchPath() const { return path_; }

private:
    std::string path_;
    HKEY user_ = nullptr;
    HKEY machine_ = nullptr;
};

// Reads a string value the way a test checks what code wrote; "" when missing.
std::string ReadRegString(HKEY root, const std::string& key, const std::string& name, bool* exists = nullptr);
