// TFontForm: layout of the text dialog and its live preview on the picture.
#include <windows.h>

#include "fontunit.h"

#include "Graphics.h"
#include "SkinParts.h"

TFontForm* FontForm = nullptr;

TFontForm::TFontForm(TComponent* owner, TImageList* buttonsStandard) : TForm(owner)
{
    DressSkinnedForm(*this, "FontForm", "Text", 390, 120);
    SetPosition(poScreenCenter);
    iHintergrund = AddSkin(*this, "TFONTFORM");

    Edit1 = new TFlatEdit(this);
    Edit1->SetName("Edit1");
    Edit1->SetParent(this);
    Edit1->SetBounds(12, 31, 366, 19);
    Edit1->SetHint("Textfeld");
    Edit1->SetShowHint(true);
    Edit1->OnChange = [this](TComponent* sender) { ControlChange(sender); };

    ComboBox1 = new TFlatComboBox(this);
    ComboBox1->SetName("ComboBox1");
    // The kind of a combo box is fixed when its window is made, which its parent does at once.
    ComboBox1->SetStyle(csDropDownList);
    ComboBox1->SetParent(this);
    ComboBox1->SetBounds(12, 57, 160, 19);
    ComboBox1->SetHint("Schriftart");
    ComboBox1->SetShowHint(true);
    for (const std::string& name : ScreenFontNames())
        ComboBox1->AddItem(name);
    ComboBox1->OnChange = [this](TComponent* sender) { ControlChange(sender); };

    SpinEdit1 = new TFlatSpinEditInteger(this);
    SpinEdit1->SetName("SpinEdit1");
    SpinEdit1->SetParent(this);
    SpinEdit1->SetBounds(178, 57, 50, 19);
    SpinEdit1->SetMinValue(3);
    SpinEdit1->SetMaxValue(99);
    SpinEdit1->SetValue(10);
    SpinEdit1->SetEditorEnabled(false);
    SpinEdit1->SetHint("Schriftgrad");
    SpinEdit1->SetShowHint(true);
    SpinEdit1->OnChange = [this](TComponent* sender) { ControlChange(sender); };

    Fettbox = MakeStyleBox("Fettbox", "F", "Fett", 236);
    CheckBox1 = MakeStyleBox("CheckBox1", "K", "Kursiv", 270);
    CheckBox2 = MakeStyleBox("CheckBox2", "U", "Unterstrichen", 304);

    FCShape = new TShape(this);
    FCShape->SetName("FCShape");
    FCShape->SetParent(this);
    FCShape->SetBounds(347, 57, 31, 19);
    FCShape->Brush().SetColor(clBlack);
    FCShape->SetHint("Schriftfarbe");
    FCShape->SetShowHint(true);
    FCShape->OnMouseUp = [this](TComponent* s, TMouseButton b, TShiftState sh, int x, int y) {
        FCShapeMouseUp(s, b, sh, x, y);
    };

    auto makeButton = [&](const char* name, const char* caption, int left, void (TFontForm::*handler)(TComponent*)) {
        auto* button = new TVantuButton(this);
        button->SetName(name);
        button->SetParent(this);
        button->SetBounds(left, 92, 88, 20);
        button->SetAlignment(taCenter);
        button->SetTextDistance(5);
        button->SetImageList(buttonsStandard);
        button->SetCaption(caption);
        button->OnClick = [this, handler](TComponent* sender) { (this->*handler)(sender); };
        return button;
    };
    Button1 = makeButton("Button1", "OK", 196, &TFontForm::Button1Click);
    Button2 = makeButton("Button2", "Abbrechen", 290, &TFontForm::Button2Click);

    OnShow = [this](TComponent* sender) { FormActivate(sender); };
    OnClose = [this](TComponent* sender, TCloseAction& action) { FormClose(sender, action); };
}

TFontForm::~TFontForm()
{
    if (FontForm == this)
        FontForm = nullptr;
}

TFlatCheckBox* TFontForm::MakeStyleBox(const char* name, const char* caption, const char* hint, int left)
{
    auto* box = new TFlatCheckBox(this);
    box->SetName(name);
    box->SetParent(this);
    box->SetBounds(left, 58, 30, 17);
    box->SetCaption(caption);
    // On the skin, not on a plain face.
    box->SetTransparent(true);
    box->SetHint(hint);
    box->SetShowHint(true);
    box->OnClick = [this](TComponent* sender) { ControlChange(sender); };
    return box;
}

void TFontForm::SelectFont(const std::string& name)
{
    std::vector<std::string> names;
    for (int i = 0; i < ComboBox1->ItemCount(); ++i)
        names.push_back(ComboBox1->Item(i));
    int index = FontNameIndex(names, name);
    if (index < 0 && !names.empty())
        index = 0;
    ComboBox1->SetItemIndex(index);
}

TTextSettings TFontForm::Settings() const
{
    TTextSettings s;
    s.text = Edit1->Text();
    const int font = ComboBox1->ItemIndex();
    s.fontName = font >= 0 ? ComboBox1->Item(font) : std::string();
    s.size = SpinEdit1->Value();
    s.bold = Fettbox->Checked();
    s.italic = CheckBox1->Checked();
    s.underline = CheckBox2->Checked();
    s.color = FCShape->Brush().Color();
    return s;
}

void TFontForm::RestorePicture()
{
    if (Picture && Saved && !Saved->Empty())
        Picture->Assign(*Saved);
}

void TFontForm::RenderPreview()
{
    if (!Picture)
        return;
    RestorePicture();
    RenderText(*Picture, TextPosition, Settings());
    if (PictureChanged)
        PictureChanged();
}

void TFontForm::FormActivate(TComponent* sender)
{
    // The text is what the user came to type. The dialog is not shown yet: activation hands the
    // focus to the active control, whichever control held it the last time.
    SetActiveControl(Edit1);
    RenderPreview();
}

void TFontForm::ControlChange(TComponent* sender)
{
    if (Visible())
        RenderPreview();
}

void TFontForm::FormClose(TComponent* sender, TCloseAction& action)
{
    // However the dialog ends, the picture is first what it was; OK writes the text for good.
    RestorePicture();
    if (OK && Picture)
        RenderText(*Picture, TextPosition, Settings());
    if (PictureChanged)
        PictureChanged();
}

void TFontForm::FCShapeMouseUp(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)
{
    if (!ColorDialog)
        return;
    ColorDialog->SetColor(FCShape->Brush().Color());
    if (!ColorDialog->Execute())
        return;
    FCShape->Brush().SetColor(ColorDialog->Color());
    ControlChange(sender);
}

void TFontForm::Button1Click(TComponent* sender)
{
    OK = true;
    Close();
}

void TFontForm::Button2Click(TComponent* sender)
{
    OK = false;
    Close();
}
