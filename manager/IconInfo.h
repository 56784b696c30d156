// TIconInfoForm: the icon information window beside the main window. It shows the current icon
// with its category, file name and artist credit, and copies, exports, hands to the editor or
// assigns it; its hidden `lFile` holds the current icon reference that the other windows read.
#pragma once

#include <windows.h>

#include "ArtistCredits.h"
#include "Bitmap.h"
#include "CoolForm.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "MaskButton.h"
#include "StdCtrls.h"
#include "VantuButton.h"

#include <functional>
#include <string>

// The category whose folder exports and hand-overs may change while it is shown.
extern const char* const OwnIconsCategory;            // "Eigene Icons"
// The file the editor is handed, in the program folder; the editor deletes it after loading.
extern const char* const EditorHandOverFileName;      // "temp$$$.ico"

// `text` when it has at most `keep` characters, else its first `keep` characters and "...".
std::string CutWithEllipsis(const std::string& text, size_t keep);

enum class TIconExportFormat { Icon, Bitmap, Jpeg };
// By the extension, in any case: ".ico" an icon, ".bmp" a bitmap, anything else (none too) JPEG.
TIconExportFormat IconExportFormatOf(const std::string& fileName);
// A 32x32, 24-bit bitmap filled with `background`, with `icon` (if any) drawn at (0,0).
void DrawIconBitmap(TBitmap& bitmap, TGraphic* icon, TColor background);
// Writes `icon` in the format the name asks for. Icons keep their transparency through
// TransparentKeyColor; bitmaps and JPEGs, which have none, show it on white. A failure raises
// the writer's error and leaves no partial file.
void ExportIcon(const std::string& fileName, TGraphic* icon);
// The editor's only parameter: the short form of `path`, which needs no quotes; when the file
// system gives none without blanks, the long path in quotes.
std::string EditorArgument(const std::string& path);

class TIconInfoForm : public TForm {
public:
    explicit TIconInfoForm(TComponent* owner);
    ~TIconInfoForm() override;

    TCoolForm* iHintergrund;
    TImage* iIcon;
    TLabel* lRubrikname;
    TLabel* lDateiname;
    TLabel* lGrafiker1;
    TLabel* leMail1;
    TLabel* lWeb1;
    TLabel* lGrafiker2;
    TLabel* leMail2;
    TLabel* lWeb2;
    TVantuButton* bKopieren;
    TVantuButton* bExportieren;
    TVantuButton* bBearbeiten;
    TVantuButton* bZuweisen;
    TMaskButton* bBeenden;
    TEdit* lFile;
    TSaveDialog* IconExportDialog;

    // The full addresses behind the two link labels.
    const std::string& CreditMail() const { return creditMail_; }
    const std::string& CreditWeb() const { return creditWeb_; }
    void SetleMail2(const std::string& text);
    void SetlWeb2(const std::string& text);

    // Makes `spec` the current icon of `category`: the reference, its icon, the category (cut
    // to 20 characters) and the artist credit for the icon's path.
    void ShowIconSpec(const std::string& spec, const std::string& category);
    // The credit for an upper-cased path, from the worker form's table.
    void ShowArtistCredit(const std::string& upperPath);
    // nullptr: no credit known.
    void ShowArtistCredit(const ArtistCredit* credit);

    // Runs when an export or a hand-over happened while the own icons were shown: the gallery
    // reloads them. By default the worker form's LoadGallery.
    std::function<void()> OnOwnIconsChanged;

    void FormShow(TComponent* sender);
    void FormKeyDown(TComponent* sender, WORD& key, TShiftState shift);
    void lFileChange(TComponent* sender);
    void bKopierenClick(TComponent* sender);
    void bExportierenClick(TComponent* sender);
    void bBearbeitenClick(TComponent* sender);
    void bZuweisenClick(TComponent* sender);
    void bBeendenClick(TComponent* sender);
    void leMail2Click(TComponent* sender);
    void lWeb2Click(TComponent* sender);

private:
    TLabel* MakeLabel(const char* name, int left, int top, const std::string& caption);
    TVantuButton* MakeButton(const char* name, int left, int top, const std::string& caption,
                             const std::string& hint, void (TIconInfoForm::*handler)(TComponent*));
    TGraphic* ShownIcon() const;
    void OwnIconsChanged();

    std::string creditMail_;
    std::string creditWeb_;
};

extern TIconInfoForm* IconInfoForm;
