// The engine behind DrawMarkup, shared by its two halves: the layout of lines and runs
// (Markup.cpp) and the tags (MarkupTags.cpp). Nothing outside the mark-up engine includes it.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "GdiObject.h"
#include "Graphics.h"
#include "Markup.h"

#include <optional>
#include <string>
#include <vector>

namespace Markup {

// Numbers in the mark-up are clamped here, so that "size=99999999999" stays a number GDI takes.
constexpr int kMaxNumber = 10000;
constexpr int kMaxPoints = 500;
constexpr int kBulletWidth = 12;

bool StartsWith(const std::string& s, const char* prefix);
// The leading digits of s from `at` (decimal, or hexadecimal after "$" or "0x"), clamped.
bool ReadNumber(const std::string& s, size_t at, int& value);
// The text between the first two double quotes after `name` in the tag body.
bool Attribute(const std::string& tag, const char* name, std::string& value);
// A number after `name`: the digits after "=", with or without quotes around them.
bool NumberAttribute(const std::string& tag, const char* name, int& value);
// "CL..." names and "#RRGGBB"; anything else is black.
TColor ParseColor(const std::string& value);
// Draws a bitmap stretched into rect with the canvas's copy mode (printing).
void StretchBitmap(TCanvas& canvas, const RECT& rect, TBitmap& bitmap);

enum class TagOutcome { Continue, LineEnd, LineFull };

// A piece of the text being laid out: anchor targets are kept so, whatever their length, and
// become strings only for the result.
struct TextSpan {
    size_t at = 0;
    size_t length = 0;
};

struct LineState {
    int height = 0;
    int drop = 0;          // sub-script
    int rise = 0;          // super-script
    int imageOffset = 0;   // text raised for images aligned top or middle
    int width = 0;
    int align = 0;    // of the paragraph the line belongs to
    int indent = 0;
};

// Everything a tag can change that is not on the canvas; the measuring pass of a line restores it.
struct StyleState {
    bool inAnchor = false;
    bool hot = false;
    bool sub = false;
    bool sup = false;
    bool shadow = false;
    bool hidden = false;
    bool errorLine = false;
    bool paraBack = false;
    bool focusOpen = false;
    int anchors = 0;
    int listLevel = 0;
    int images = 0;
    int rotation = 0;   // degrees
    int align = 0;      // left 0, right 1, centre 2
    int indent = 0;
    TColor paraColor = clNone;
    // Colours saved for the closing tag; clNone is a colour a brush may have, so "nothing
    // saved" is its own state.
    TColor anchorFont = clNone;
    TColor anchorBrush = clNone;
    std::optional<TColor> fontBrush;
    std::optional<TColor> hiFont;
    std::optional<TColor> hiBrush;
    std::optional<TColor> paraBrush;
    TColor paraPen = clNone;
    TextSpan target;
    POINT anchorStart = {0, 0};
    int focusLeft = 0;
};

// What a tag's handler is given: the tag as written and upper-cased, the line it stands on and
// the pass.
struct TagCall {
    const std::string& raw;
    size_t rawAt;   // where the tag stands in the text
    const std::string& tag;
    const RECT& lineRect;
    LineState& line;
    bool measure;
    bool& onImage;
    int tagsOnLine;
    int& bullets;
};

// The fonts one layout uses, each made and measured once. A run is measured or drawn with its
// font in the canvas's DC in place of the canvas's own, so that a tag switching the style costs a
// look-up rather than a new font; the canvas's font, and the DC's text colour, are back when the
// layout ends.
class LayoutFonts {
public:
    struct Face {
        LOGFONTA key = {};
        GdiObject<HFONT> handle;
        int lineHeight = 0;   // external leading included
        int blank = 0;
    };

    explicit LayoutFonts(TCanvas& canvas);
    ~LayoutFonts();
    LayoutFonts(const LayoutFonts&) = delete;
    LayoutFonts& operator=(const LayoutFonts&) = delete;

    // Selects the face of `font` turned by `degrees` into the canvas's DC, which `dc` receives.
    // The face stays valid until the next call.
    const Face& Use(const TFont& font, int degrees, HDC& dc);

private:
    static constexpr size_t kFaces = 16;
    bool Ours(HGDIOBJ font) const;
    Face& Make(const LOGFONTA& key, HDC dc);

    TCanvas& canvas_;
    HDC dc_ = nullptr;
    COLORREF textColor_ = 0;
    HGDIOBJ restore_ = nullptr;   // what the DC held before a face of ours
    std::vector<Face> faces_;     // a text of ever new fonts replaces them in turn
    size_t next_ = 0;
};

// The state of one DrawMarkup call.
class MarkupEngine {
public:
    MarkupEngine(TCanvas& canvas, const RECT& rect, const TMarkupOptions& options, TMarkupResult& result)
        : canvas_(canvas), rect_(rect), fonts_(canvas), options_(options), result_(result)
    {
    }

    bool Run(std::string text);

private:
    size_t DrawMarkupLine(const std::string& text, size_t pos, size_t end, const RECT& lineRect, LineState& line,
                          bool measure, bool& onAnchor, bool& onImage);
    bool PlaceRun(const std::string& run, const RECT& lineRect, LineState& line, bool measure, bool& onAnchor);
    TagOutcome HandleTag(size_t at, size_t length, const RECT& lineRect, LineState& line, bool measure,
                         bool& onImage, int tagsOnLine, int& bullets);
    // One small handler per tag. A name marked `prefix` stands for every tag that starts with it;
    // the first entry that matches a tag handles it.
    using TagHandler = TagOutcome (*)(MarkupEngine& engine, TagCall& call);
    struct TagEntry {
        const char* name;
        bool prefix;
        TagHandler handler;
    };
    static const std::vector<TagEntry>& OpeningTags();
    static const std::vector<TagEntry>& ClosingTags();
    TagOutcome Styled(TFontStyles bit, bool on);
    TagOutcome Flag(bool StyleState::*flag, bool on);
    TagOutcome Blink();
    TagOutcome EndBlink();
    TagOutcome EndFont(bool measure);
    TagOutcome Highlight();
    TagOutcome EndHighlight();
    TagOutcome Rule(const TagCall& call);
    TagOutcome Indent(const TagCall& call);
    TagOutcome ListItem(const TagCall& call);
    TagOutcome EndList();
    TagOutcome Paragraph(const TagCall& call);
    TagOutcome EndParagraph();
    TagOutcome Rotate(const std::string& tag);
    TagOutcome Image(const std::string& tag, const RECT& lineRect, LineState& line, bool measure, bool& onImage,
                     bool lineHasContent);
    void OpenAnchor(const std::string& raw, size_t rawAt, const RECT& lineRect);
    void CloseAnchor(const RECT& lineRect, const LineState& line, bool measure);
    void Body(const std::string& tag, bool measure);
    void Font(const std::string& tag, bool measure);
    void Bullet(const RECT& lineRect, LineState& line, bool measure);

    // What the system's text call measures for s on one line.
    SIZE Measure(const std::string& s);
    void DrawRun(const std::string& run, RECT rect, TColor color);
    void DrawRun(const std::string& run, const RECT& rect) { DrawRun(run, rect, font_.Color()); }
    int GhHeight() { return Measure("gh").cy; }
    int BlankWidth();
    void SetStyleBit(TFontStyles bit, bool on);
    void FillBand(const RECT& lineRect);
    int Scaled(int pixels) { return MulDiv(pixels, GetDeviceCaps(canvas_.Handle(), LOGPIXELSX), 96); }

    TCanvas& canvas_;
    const RECT rect_;
    LayoutFonts fonts_;
    const TMarkupOptions& options_;
    TMarkupResult& result_;
    StyleState style_;
    TFont font_;       // the style of the text at hand; the canvas's own font stays as it is
    TFont baseFont_;
    TColor background_ = clNone;
    int imageUnderPoint_ = 0;
    const std::string* text_ = nullptr;   // as preprocessed
    // The anchor under the point and the focused anchor, until the result is made.
    struct HotAnchor {
        RECT rect = {0, 0, 0, 0};
        int anchor = -1;
        TextSpan target;
    } hot_;
    TextSpan focusTarget_;
    // Per line of the current pass.
    int x_ = 0;
    int blankWidth_ = 0;
    bool lineHasText_ = false;
    char lastChar_ = 0;   // of the line's text so far
};

}  // namespace Markup
