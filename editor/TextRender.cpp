// Writing text onto the picture through its canvas.
#include <windows.h>

#include "TextRender.h"

void RenderText(TBitmap& picture, POINT at, const TTextSettings& settings)
{
    if (settings.text.empty())
        return;
    TCanvas& canvas = picture.Canvas();
    canvas.Brush().SetStyle(bsClear);
    TFont& font = canvas.Font();
    font.SetName(settings.fontName);
    font.SetColor(settings.color);
    font.SetSize(settings.size);
    TFontStyles style = 0;
    if (settings.bold)
        style |= fsBold;
    if (settings.italic)
        style |= fsItalic;
    if (settings.underline)
        style |= fsUnderline;
    font.SetStyle(style);
    // Smoothed edges would blend into the key colour: pixels of neither colour around the text.
    font.SetQuality(NONANTIALIASED_QUALITY);
    canvas.TextOut(at.x, at.y, settings.text);
}
