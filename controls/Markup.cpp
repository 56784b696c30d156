// The mark-up rendering engine: each line is laid out twice, once to measure it and once, aligned,
// to draw or hit-test it.
#include "Markup.h"

#include <shellapi.h>
#include <commctrl.h>

#include "Bitmap.h"
#include "GdiObject.h"
#include "Graphics.h"
#include "ImageList.h"
#include "PictureContainer.h"
#include "SysUtils.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>
#include <vector>

namespace {

constexpr UINT kTextFlags = DT_SINGLELINE | DT_BOTTOM | DT_EXPANDTABS | DT_EXTERNALLEADING;
// Numbers in the mark-up are clamped here, so that "size=99999999999" stays a number GDI takes.
constexpr int kMaxNumber = 10000;
constexpr int kMaxPoints = 500;
constexpr int kBulletWidth = 12;

bool StartsWith(const std::string& s, const char* prefix)
{
    return s.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The leading digits of s from `at` (decimal, or hexadecimal after "$" or "0x"), clamped.
bool ReadNumber(const std::string& s, size_t at, int& value)
{
    int base = 10;
    if (at < s.size() && s[at] == '$') {
        base = 16;
        ++at;
    } else if (at + 1 < s.size() && s[at] == '0' && (s[at + 1] == 'x' || s[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }
    long long n = 0;
    bool any = false;
    for (; at < s.size(); ++at) {
        int digit = base == 16 ? HexDigit(s[at]) : (s[at] >= '0' && s[at] <= '9' ? s[at] - '0' : -1);
        if (digit < 0)
            break;
        n = std::min<long long>(n * base + digit, kMaxNumber);
        any = true;
    }
    if (any)
        value = static_cast<int>(n);
    return any;
}

// The text between the first two double quotes after `name` in the tag body.
bool Attribute(const std::string& tag, const char* name, std::string& value)
{
    size_t at = tag.find(name);
    if (at == std::string::npos)
        return false;
    size_t open = tag.find('"', at + std::char_traits<char>::length(name));
    if (open == std::string::npos)
        return false;
    size_t close = tag.find('"', open + 1);
    if (close == std::string::npos)
        return false;
    value = tag.substr(open + 1, close - open - 1);
    return true;
}

// A number after `name`: the digits after "=", with or without quotes around them.
bool NumberAttribute(const std::string& tag, const char* name, int& value)
{
    size_t at = tag.find(name);
    if (at == std::string::npos)
        return false;
    size_t equals = tag.find('=', at);
    if (equals == std::string::npos)
        return false;
    size_t digits = tag.find_first_not_of(" \"", equals + 1);
    return digits != std::string::npos && ReadNumber(tag, digits, value);
}

// "CL..." names and "#RRGGBB"; anything else is black.
TColor ParseColor(const std::string& value)
{
    std::string lower = AnsiLowerCase(value);
    if (StartsWith(lower, "cl"))
        return ColorFromName(lower);
    if (StartsWith(value, "#"))
        return ColorFromHex(value);
    return 0;
}

void ReplaceAll(std::string& s, const std::string& from, const std::string& to)
{
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

// "&lt;" and its kin inside a text run. An escape whose "&" closes an "&&" (a drawn "&") keeps
// that "&", so "&&lt;" becomes "&&<" and shows as "&<".
void ReplaceRunEscape(std::string& run, const std::string& escape, char c)
{
    for (size_t at = run.find(escape); at != std::string::npos; at = run.find(escape, at + 1)) {
        if (at > 0 && run[at - 1] == '&') {
            run.replace(at, escape.size(), std::string("&") + c);
            ++at;
        } else {
            run.replace(at, escape.size(), 1, c);
        }
    }
}

// Entities: whole passes until nothing changes, each replacing the first occurrence of each
// entity (any case). Every replacement is shorter, so the passes end.
void ReplaceEntities(std::string& text)
{
    static const struct {
        const char* entity;
        const char* text;
    } entities[] = {
        {"&amp;", "&&"},     {"&quot;", "\""},    {"&sect;", "\xA7"}, {"&permil;", "\x89"}, {"&reg;", "\xAE"},
        {"&copy;", "\xA9"},  {"&para;", "\xB6"},  {"&trade;", "\x99"}, {"&euro;", "\x80"},
    };
    if (text.find('&') == std::string::npos)
        return;
    bool changed = true;
    while (changed) {
        changed = false;
        for (const auto& e : entities) {
            size_t at = AnsiLowerCase(text).find(e.entity);
            if (at != std::string::npos) {
                text.replace(at, std::char_traits<char>::length(e.entity), e.text);
                changed = true;
            }
        }
    }
}

void Preprocess(std::string& text)
{
    ReplaceEntities(text);
    size_t hash = text.find("<#");
    if (hash != std::string::npos) {
        text.erase(hash, 1);
        size_t close = text.find('>', hash);
        if (close != std::string::npos)
            text.erase(close, 1);
    }
    text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
    ReplaceAll(text, "\r", "<BR>");
}

// Draws a bitmap stretched into rect with the canvas's copy mode (printing).
void StretchBitmap(TCanvas& canvas, const RECT& rect, TBitmap& bitmap)
{
    HDC source = bitmap.Canvas().Handle();
    StretchBlt(canvas.Handle(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source, 0, 0,
               bitmap.Width(), bitmap.Height(), canvas.CopyMode());
    canvas.Changed();
}

enum class TagOutcome { Continue, LineEnd, LineFull };

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
    std::string target;
    POINT anchorStart = {0, 0};
    int focusLeft = 0;
};

// What a tag's handler is given: the tag as written and upper-cased, the line it stands on and
// the pass.
struct TagCall {
    const std::string& raw;
    const std::string& tag;
    const RECT& lineRect;
    LineState& line;
    bool measure;
    bool& onImage;
    int tagsOnLine;
    int& bullets;
};

// The state of one DrawMarkup call.
class MarkupEngine {
public:
    MarkupEngine(TCanvas& canvas, const RECT& rect, const TMarkupOptions& options, TMarkupResult& result)
        : canvas_(canvas), rect_(rect), options_(options), result_(result)
    {
    }

    bool Run(std::string text);

private:
    size_t DrawMarkupLine(const std::string& text, size_t pos, size_t end, const RECT& lineRect, LineState& line,
                          bool measure, bool& onAnchor, bool& onImage);
    bool PlaceRun(const std::string& run, const RECT& lineRect, LineState& line, bool measure, bool& onAnchor);
    TagOutcome HandleTag(const std::string& raw, const RECT& lineRect, LineState& line, bool measure,
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
    void OpenAnchor(const std::string& raw, const RECT& lineRect);
    void CloseAnchor(const RECT& lineRect, const LineState& line, bool measure);
    void Body(const std::string& tag, bool measure);
    void Font(const std::string& tag, bool measure);
    void Bullet(const RECT& lineRect, LineState& line, bool measure);

    GdiObject<HFONT> RotatedFont();
    SIZE Measure(const std::string& s);
    void DrawRun(const std::string& run, RECT rect);
    int GhHeight() { return Measure("gh").cy; }
    void SetStyleBit(TFontStyles bit, bool on);
    void FillBand(const RECT& lineRect);
    int Scaled(int pixels) { return MulDiv(pixels, GetDeviceCaps(canvas_.Handle(), LOGPIXELSX), 96); }

    TCanvas& canvas_;
    const RECT rect_;
    const TMarkupOptions& options_;
    TMarkupResult& result_;
    StyleState style_;
    TFont baseFont_;
    TColor background_ = clNone;
    int imageUnderPoint_ = 0;
    // Per line of the current pass.
    int x_ = 0;
    int blankWidth_ = 0;
    std::string lineText_;
};

// Inside <R>: a copy of the canvas font turned by the angle, else none.
GdiObject<HFONT> MarkupEngine::RotatedFont()
{
    GdiObject<HFONT> rotated;
    if (style_.rotation) {
        LOGFONTA font = {};
        GetObjectA(canvas_.Font().Handle(), sizeof font, &font);
        font.lfEscapement = font.lfOrientation = style_.rotation * 10;
        rotated.reset(CreateFontIndirectA(&font));
    }
    return rotated;
}

SIZE MarkupEngine::Measure(const std::string& s)
{
    HDC dc = canvas_.Handle();
    GdiObject<HFONT> rotated = RotatedFont();
    SelectedObject select(dc, rotated.get());
    RECT r = {0, 0, 0, 0};
    // Wine reports no height for a bottom-aligned rectangle being measured.
    DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &r, (kTextFlags & ~DT_BOTTOM) | DT_CALCRECT);
    return {r.right - r.left, r.bottom - r.top};
}

void MarkupEngine::DrawRun(const std::string& run, RECT rect)
{
    HDC dc = canvas_.Handle();
    GdiObject<HFONT> rotated = RotatedFont();
    SelectedObject select(dc, rotated.get());
    UINT flags = kTextFlags | (options_.wordWrap ? 0 : DT_END_ELLIPSIS);
    DrawTextA(dc, run.c_str(), static_cast<int>(run.size()), &rect, flags);
    canvas_.Changed();
}

void MarkupEngine::SetStyleBit(TFontStyles bit, bool on)
{
    TFontStyles style = canvas_.Font().Style();
    canvas_.Font().SetStyle(on ? style | bit : style & ~bit);
}

void MarkupEngine::FillBand(const RECT& lineRect)
{
    canvas_.Brush().SetColor(style_.paraColor);
    canvas_.Pen().SetColor(style_.paraColor);
    canvas_.FillRect({rect_.left, lineRect.top, rect_.right, lineRect.bottom});
}

bool MarkupEngine::Run(std::string text)
{
    baseFont_.Assign(canvas_.Font());
    background_ = canvas_.Brush().Color();
    const TColor pen = canvas_.Pen().Color();
    canvas_.Brush().SetColor(clNone);   // text over whatever is there

    result_ = TMarkupResult();
    Preprocess(text);

    const int fitWidth = rect_.right - rect_.left;
    bool hit = false;
    int y = rect_.top;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = pos;
        // The measuring pass must leave no trace.
        const StyleState savedStyle = style_;
        TFont savedFont;
        savedFont.Assign(canvas_.Font());
        const TColor savedBrush = canvas_.Brush().Color();
        const TColor savedPen = canvas_.Pen().Color();
        const TMarkupResult savedResult = result_;
        const int savedImage = imageUnderPoint_;
        const int gh = GhHeight();

        LineState line;
        line.height = gh;
        bool onAnchor = false, onImage = false;
        const size_t measured =
            DrawMarkupLine(text, pos, text.size(), {rect_.left, y, rect_.right, rect_.bottom}, line, true, onAnchor, onImage);
        const int align = line.align;
        const int indent = line.indent;
        const int lineBottom = y + line.height + line.drop + line.rise;

        if (!options_.measureOnly) {
            style_ = savedStyle;
            canvas_.Font().Assign(savedFont);
            canvas_.Brush().SetColor(savedBrush);
            canvas_.Pen().SetColor(savedPen);
            // The measuring pass saw the line unaligned and before its height was known.
            const bool pointOnLine = options_.point.y >= y && options_.point.y < lineBottom;
            std::string plain = result_.plainText;
            int width = result_.width;
            if (options_.hitTestOnly || !pointOnLine) {
                result_ = savedResult;
                result_.plainText = plain;
                result_.width = width;
            }
            if (!pointOnLine)
                imageUnderPoint_ = savedImage;

            int startX = rect_.left;
            if (align == 1 && rect_.right - line.width > rect_.left)
                startX = rect_.right - line.width;
            else if (align == 2 && (fitWidth - line.width) / 2 > 0)
                startX = rect_.left + (fitWidth - line.width) / 2;
            startX += indent;

            LineState drawn = line;
            drawn.width = 0;
            onAnchor = onImage = false;
            size_t done = DrawMarkupLine(text, pos, measured, {startX, y, rect_.right, lineBottom}, drawn,
                                         options_.hitTestOnly, onAnchor, onImage);
            const int bandBottom = lineBottom - line.imageOffset;
            if ((onAnchor && options_.point.y < bandBottom && options_.point.y >= bandBottom - gh) || onImage)
                hit = true;
            pos = done > pos ? done : measured;
        } else {
            pos = measured;
        }
        if (pos <= start)
            break;   // every line consumes something; never loop should that fail

        const int advance = line.height + line.drop + line.rise;
        y += advance;
        result_.height += advance;
        if (y > rect_.bottom && !options_.measureOnly)
            break;
    }
    if (result_.height == 0)
        result_.height = GhHeight();
    result_.anchorCount = style_.anchors;

    canvas_.Font().Assign(baseFont_);
    canvas_.Brush().SetColor(background_);
    canvas_.Pen().SetColor(pen);
    return hit;
}

size_t MarkupEngine::DrawMarkupLine(const std::string& text, size_t pos, size_t end, const RECT& lineRect,
                                    LineState& line, bool measure, bool& onAnchor, bool& onImage)
{
    x_ = lineRect.left;
    line.align = style_.align;
    line.indent = style_.indent;
    blankWidth_ = 0;
    lineText_.clear();
    if (style_.focusOpen)
        style_.focusLeft = x_;
    if (style_.paraBack && !measure)
        FillBand(lineRect);

    bool ended = false;
    int tags = 0;
    int bullets = 0;
    while (pos < end && !ended) {
        size_t lt = text.find('<', pos);
        if (lt == std::string::npos || lt > end)
            lt = end;
        size_t runEnd = lt;
        if (options_.wordWrap) {
            size_t blank = text.find(' ', pos);
            if (blank != std::string::npos && blank < lt)
                runEnd = blank + 1;
        }
        if (runEnd > pos) {
            std::string run = text.substr(pos, runEnd - pos);
            ReplaceRunEscape(run, "&nbsp;", ' ');
            ReplaceRunEscape(run, "&lt;", '<');
            ReplaceRunEscape(run, "&gt;", '>');
            if (!PlaceRun(run, lineRect, line, measure, onAnchor))
                break;   // wraps: the run starts the next line
            pos = runEnd;
            continue;
        }
        if (text.size() - pos < 3) {
            pos = text.size();
            break;
        }
        size_t gt = text.find('>', pos);
        if (gt == std::string::npos) {
            pos = text.size();   // a tag never closed ends the text
            break;
        }
        TagOutcome outcome = HandleTag(text.substr(pos, gt - pos), lineRect, line, measure, onImage, tags, bullets);
        if (outcome == TagOutcome::LineFull)
            break;
        ++tags;
        pos = gt + 1;
        ended = outcome == TagOutcome::LineEnd;
    }

    line.width -= blankWidth_;
    result_.width = std::max(result_.width, line.width);
    if (style_.focusOpen && !measure) {
        int bottom = lineRect.bottom - line.imageOffset;
        RECT focus = {style_.focusLeft - 1, bottom - GhHeight(), x_ + 1, bottom};
        DrawFocusRect(canvas_.Handle(), &focus);
    }
    return pos;
}

bool MarkupEngine::PlaceRun(const std::string& run, const RECT& lineRect, LineState& line, bool measure,
                            bool& onAnchor)
{
    if (style_.hidden) {
        result_.plainText += run;
        return true;
    }
    const SIZE size = Measure(run);
    const int fitWidth = rect_.right - rect_.left;
    const int blank = run.back() == ' ' ? Measure(" ").cx : 0;
    // A trailing blank may hang past the edge; a word glued to the one before never wraps alone.
    const bool fits = line.width + size.cx - blank <= fitWidth || size.cx >= fitWidth || lineText_.empty() ||
                      lineText_.back() != ' ';
    if (options_.wordWrap && !fits)
        return false;

    const int h = size.cy;
    if (style_.sub)
        line.drop = std::max(line.drop, h / 4);
    if (style_.sup)
        line.rise = std::max(line.rise, h / 4);
    line.height = std::max(line.height, h);
    result_.plainText += run;
    lineText_ += run;

    const POINT& p = options_.point;
    if (measure) {
        if (style_.inAnchor && p.x >= x_ && p.x < x_ + size.cx) {
            onAnchor = true;
            if (p.y >= lineRect.top && p.y < lineRect.bottom) {
                result_.hotTarget = style_.target;
                style_.hot = true;
            }
        }
    } else {
        int bottom = lineRect.bottom - line.drop;
        if (style_.sup)
            bottom -= line.rise;
        if (style_.sub)
            bottom += line.drop;
        bottom -= line.imageOffset;
        if (style_.shadow) {
            const TColor color = canvas_.Font().Color();
            canvas_.Font().SetColor(options_.shadowColor);
            const int o = options_.shadowOffset;
            DrawRun(run, {x_ + o, lineRect.top + o, lineRect.right + o, bottom + o});
            canvas_.Font().SetColor(color);
        }
        DrawRun(run, {x_, lineRect.top, lineRect.right, bottom});
        if (style_.focusOpen)
            result_.focusTarget = style_.target;
        if (style_.errorLine) {
            const TColor pen = canvas_.Pen().Color();
            canvas_.Pen().SetColor(clRed);
            int zx = x_ & ~1;
            int phase = zx % 4 == 0 ? 2 : 0;
            canvas_.MoveTo(zx, bottom + phase - 1);
            while (zx < x_ + size.cx) {
                phase = 2 - phase;
                canvas_.LineTo(zx + 2, bottom + phase - 1);
                zx += 2;
            }
            canvas_.Pen().SetColor(pen);
        }
    }
    x_ += size.cx;
    line.width += size.cx;
    blankWidth_ = blank;
    return true;
}

TagOutcome MarkupEngine::HandleTag(const std::string& raw, const RECT& lineRect, LineState& line, bool measure,
                                   bool& onImage, int tagsOnLine, int& bullets)
{
    const std::string tag = AnsiUpperCase(raw);
    const bool closing = tag.size() > 1 && tag[1] == '/';
    std::string name;
    for (size_t i = closing ? 2 : 1; i < tag.size() && tag[i] >= 'A' && tag[i] <= 'Z'; ++i)
        name += tag[i];
    if (name.empty())
        return TagOutcome::Continue;
    TagCall call{raw, tag, lineRect, line, measure, onImage, tagsOnLine, bullets};
    for (const TagEntry& entry : closing ? ClosingTags() : OpeningTags())
        if (entry.prefix ? StartsWith(name, entry.name) : name == entry.name)
            return entry.handler(*this, call);
    return TagOutcome::Continue;
}

const std::vector<MarkupEngine::TagEntry>& MarkupEngine::OpeningTags()
{
    using E = MarkupEngine;
    using C = TagCall;
    static const std::vector<TagEntry> tags = {
        {"A", false, [](E& e, C& c) { e.OpenAnchor(c.raw, c.lineRect); return TagOutcome::Continue; }},
        {"B", false, [](E& e, C&) { return e.Styled(fsBold, true); }},
        {"BR", true, [](E& e, C&) { e.result_.plainText += '\r'; return TagOutcome::LineEnd; }},
        {"BL", true, [](E& e, C&) { return e.Blink(); }},
        {"BO", true, [](E& e, C& c) { e.Body(c.tag, c.measure); return TagOutcome::Continue; }},
        {"E", false, [](E& e, C&) { return e.Flag(&StyleState::errorLine, true); }},
        {"FONT", false, [](E& e, C& c) { e.Font(c.tag, c.measure); return TagOutcome::Continue; }},
        {"HI", false, [](E& e, C&) { return e.Highlight(); }},
        {"HR", false, [](E& e, C& c) { return e.Rule(c); }},
        {"I", false, [](E& e, C&) { return e.Styled(fsItalic, true); }},
        {"IND", true, [](E& e, C& c) { return e.Indent(c); }},
        {"IM", true, [](E& e, C& c) {
             return e.Image(c.tag, c.lineRect, c.line, c.measure, c.onImage, c.tagsOnLine > 0 || !e.lineText_.empty());
         }},
        {"LI", false, [](E& e, C& c) { return e.ListItem(c); }},
        {"P", false, [](E& e, C& c) { return e.Paragraph(c); }},
        {"R", false, [](E& e, C& c) { return e.Rotate(c.tag); }},
        {"S", false, [](E& e, C&) { return e.Styled(fsStrikeOut, true); }},
        {"SHAD", false, [](E& e, C&) { return e.Flag(&StyleState::shadow, true); }},
        {"SUB", false, [](E& e, C&) { return e.Flag(&StyleState::sub, true); }},
        {"SUP", false, [](E& e, C&) { return e.Flag(&StyleState::sup, true); }},
        {"U", false, [](E& e, C&) { return e.Styled(fsUnderline, true); }},
        {"UL", false, [](E& e, C&) {
             e.style_.listLevel = std::min(e.style_.listLevel + 1, 100);
             return TagOutcome::Continue;
         }},
        {"Z", false, [](E& e, C&) { return e.Flag(&StyleState::hidden, true); }},
    };
    return tags;
}

const std::vector<MarkupEngine::TagEntry>& MarkupEngine::ClosingTags()
{
    using E = MarkupEngine;
    using C = TagCall;
    static const std::vector<TagEntry> tags = {
        {"A", false, [](E& e, C& c) { e.CloseAnchor(c.lineRect, c.line, c.measure); return TagOutcome::Continue; }},
        {"B", false, [](E& e, C&) { return e.Styled(fsBold, false); }},
        {"B", true, [](E& e, C&) { return e.EndBlink(); }},
        {"E", false, [](E& e, C&) { return e.Flag(&StyleState::errorLine, false); }},
        {"FONT", false, [](E& e, C& c) { return e.EndFont(c.measure); }},
        {"HI", false, [](E& e, C&) { return e.EndHighlight(); }},
        {"I", true, [](E& e, C&) { return e.Styled(fsItalic, false); }},
        {"P", false, [](E& e, C&) { return e.EndParagraph(); }},
        {"R", false, [](E& e, C&) { e.style_.rotation = 0; return TagOutcome::Continue; }},
        {"S", false, [](E& e, C&) { return e.Styled(fsStrikeOut, false); }},
        {"SHAD", false, [](E& e, C&) { return e.Flag(&StyleState::shadow, false); }},
        {"SUB", false, [](E& e, C&) { e.style_.sub = e.style_.sup = false; return TagOutcome::Continue; }},
        {"SUP", false, [](E& e, C&) { e.style_.sub = e.style_.sup = false; return TagOutcome::Continue; }},
        {"UL", false, [](E& e, C&) { return e.EndList(); }},
        {"U", true, [](E& e, C&) { return e.Styled(fsUnderline, false); }},
        {"Z", false, [](E& e, C&) { return e.Flag(&StyleState::hidden, false); }},
    };
    return tags;
}

TagOutcome MarkupEngine::Styled(TFontStyles bit, bool on)
{
    SetStyleBit(bit, on);
    return TagOutcome::Continue;
}

TagOutcome MarkupEngine::Flag(bool StyleState::*flag, bool on)
{
    style_.*flag = on;
    return TagOutcome::Continue;
}

TagOutcome MarkupEngine::Blink()
{
    if (!options_.blinkOn && background_ != clNone)
        canvas_.Font().SetColor(background_);
    return TagOutcome::Continue;
}

TagOutcome MarkupEngine::EndBlink()
{
    canvas_.Font().SetColor(baseFont_.Color());
    return TagOutcome::Continue;
}

TagOutcome MarkupEngine::EndFont(bool measure)
{
    TFont& font = canvas_.Font();
    font.SetName(baseFont_.Name());
    font.SetHeight(baseFont_.Height());
    if (!measure && !options_.selected) {
        font.SetColor(baseFont_.Color());
        if (style_.fontBrush)
            canvas_.Brush().SetColor(*style_.fontBrush);
        style_.fontBrush.reset();
    }
    return TagOutcome::Continue;
}

TagOutcome MarkupEngine::Highlight()
{
    if (!style_.hiBrush) {
        style_.hiBrush = canvas_.Brush().Color();
        style_.hiFont = canvas_.Font().Color();
    }
    canvas_.Brush().SetColor(clHighlight);
    canvas_.Font().SetColor(clHighlightText);
    return TagOutcome::Continue;
}

TagOutcome MarkupEngine::EndHighlight()
{
    if (style_.hiBrush) {
        canvas_.Brush().SetColor(*style_.hiBrush);
        canvas_.Font().SetColor(*style_.hiFont);
        style_.hiBrush.reset();
        style_.hiFont.reset();
    }
    return TagOutcome::Continue;
}

TagOutcome MarkupEngine::Rule(const TagCall& call)
{
    if (!call.measure) {
        const TColor pen = canvas_.Pen().Color();
        canvas_.Pen().SetColor(clBlack);
        canvas_.MoveTo(call.lineRect.left, call.lineRect.bottom - 1);
        canvas_.LineTo(call.lineRect.right, call.lineRect.bottom - 1);
        canvas_.Pen().SetColor(pen);
    }
    return TagOutcome::LineEnd;
}

TagOutcome MarkupEngine::Indent(const TagCall& call)
{
    int n = 0;
    if (NumberAttribute(call.tag, "X", n) && n > call.line.width) {
        call.line.width = n;
        x_ = call.lineRect.left + n;
    }
    return TagOutcome::Continue;
}

TagOutcome MarkupEngine::ListItem(const TagCall& call)
{
    if (call.bullets > 0)
        return TagOutcome::LineFull;
    ++call.bullets;
    Bullet(call.lineRect, call.line, call.measure);
    return TagOutcome::Continue;
}

TagOutcome MarkupEngine::EndList()
{
    // A closing list tag with no list open ends underlining, as every other "</U...".
    if (style_.listLevel > 0)
        --style_.listLevel;
    else
        SetStyleBit(fsUnderline, false);
    return TagOutcome::Continue;
}

TagOutcome MarkupEngine::Paragraph(const TagCall& call)
{
    std::string value;
    if (Attribute(call.tag, "ALIGN", value)) {
        if (value.find("RIGHT") != std::string::npos)
            style_.align = 1;
        else if (value.find("LEFT") != std::string::npos)
            style_.align = 0;
        else if (value.find("CENTER") != std::string::npos)
            style_.align = 2;
    }
    int indent = 0;
    if (Attribute(call.tag, "INDENT", value) && ReadNumber(value, 0, indent))
        style_.indent = indent;
    call.line.align = style_.align;
    call.line.indent = style_.indent;
    if (Attribute(call.tag, "BGCOLOR", value) && !call.measure) {
        if (!style_.paraBrush) {
            style_.paraBrush = canvas_.Brush().Color();
            style_.paraPen = canvas_.Pen().Color();
        }
        style_.paraColor = ParseColor(value);
        style_.paraBack = true;
        FillBand(call.lineRect);
    }
    return TagOutcome::Continue;
}

TagOutcome MarkupEngine::EndParagraph()
{
    if (style_.paraBrush) {
        canvas_.Brush().SetColor(*style_.paraBrush);
        canvas_.Pen().SetColor(style_.paraPen);
    }
    style_.paraBack = false;
    style_.paraBrush.reset();
    style_.align = 0;
    style_.indent = 0;
    return TagOutcome::LineEnd;
}

TagOutcome MarkupEngine::Rotate(const std::string& tag)
{
    int degrees = 0;
    if (NumberAttribute(tag, "A", degrees))
        style_.rotation = degrees % 360;
    return TagOutcome::Continue;
}

void MarkupEngine::OpenAnchor(const std::string& raw, const RECT& lineRect)
{
    ++style_.anchors;
    style_.inAnchor = true;
    style_.hot = false;
    style_.target.clear();
    size_t open = raw.find('"');
    size_t close = open == std::string::npos ? open : raw.find('"', open + 1);
    if (close != std::string::npos)
        style_.target = raw.substr(open + 1, close - open - 1);

    TFont& font = canvas_.Font();
    style_.anchorFont = font.Color();
    style_.anchorBrush = canvas_.Brush().Color();
    const bool hovered = style_.anchors == options_.hoverAnchor;
    if (!options_.hoverOnly || hovered) {
        SetStyleBit(fsUnderline, true);
        if (hovered && options_.hoverBackground != clNone)
            canvas_.Brush().SetColor(options_.hoverBackground);
    }
    if (!options_.selected) {
        font.SetColor(hovered && options_.hoverColor != clNone ? options_.hoverColor : options_.anchorColor);
    }
    style_.anchorStart = {x_, lineRect.top};
    if (options_.focusAnchor == style_.anchors - 1) {
        style_.focusOpen = true;
        style_.focusLeft = x_;
    }
}

void MarkupEngine::CloseAnchor(const RECT& lineRect, const LineState& line, bool measure)
{
    if (!style_.inAnchor)
        return;
    SetStyleBit(fsUnderline, false);
    canvas_.Brush().SetColor(style_.anchorBrush);
    canvas_.Font().SetColor(options_.selected ? style_.anchorFont : baseFont_.Color());
    style_.inAnchor = false;
    if (style_.hot) {
        const int left = style_.anchorStart.y == lineRect.top ? style_.anchorStart.x : lineRect.left;
        result_.hotRect = {left, style_.anchorStart.y, x_, lineRect.bottom};
        result_.hotAnchor = style_.anchors;
        style_.hot = false;
    }
    if (style_.focusOpen) {
        style_.focusOpen = false;
        if (!measure) {
            const int bottom = lineRect.bottom - line.imageOffset;
            RECT focus = {style_.focusLeft - 1, bottom - GhHeight(), x_ + 1, bottom};
            DrawFocusRect(canvas_.Handle(), &focus);
        }
    }
}

void MarkupEngine::Body(const std::string& tag, bool measure)
{
    if (measure)
        return;
    std::string value;
    if (Attribute(tag, "BGCOLOR", value)) {
        const TColor brush = canvas_.Brush().Color();
        const TColor pen = canvas_.Pen().Color();
        const TColor color = ParseColor(value);
        canvas_.Brush().SetColor(color);
        canvas_.Pen().SetColor(color);
        canvas_.FillRect(rect_);
        canvas_.Brush().SetColor(brush);
        canvas_.Pen().SetColor(pen);
    }
    if (Attribute(tag, "BACKGROUND", value) && options_.pictures) {
        THTMLPicture* picture = options_.pictures->FindPicture(value);
        if (!picture || picture->Empty())
            return;
        const int w = picture->Width();
        const int h = picture->Height();
        if (w <= 0 || h <= 0)
            return;
        HDC dc = canvas_.Handle();
        RECT visible;
        if (GetClipBox(dc, &visible) == ERROR || !IntersectRect(&visible, &visible, &rect_))
            visible = rect_;
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, rect_.left, rect_.top, rect_.right, rect_.bottom);
        // Tiles from the rect's corner, only where they can be seen.
        const int firstRow = rect_.top + static_cast<int>(std::max<LONG>(0, (visible.top - rect_.top) / h)) * h;
        const int firstColumn = rect_.left + static_cast<int>(std::max<LONG>(0, (visible.left - rect_.left) / w)) * w;
        for (int ty = firstRow; ty < visible.bottom; ty += h)
            for (int tx = firstColumn; tx < visible.right; tx += w)
                picture->Draw(canvas_, {tx, ty, tx + w, ty + h});
        RestoreDC(dc, saved);
    }
}

void MarkupEngine::Font(const std::string& tag, bool measure)
{
    TFont& font = canvas_.Font();
    std::string value;
    if (Attribute(tag, "FACE", value) && !value.empty())
        font.SetName(value);
    if (Attribute(tag, " COLOR", value) && !options_.selected)
        font.SetColor(ParseColor(value));
    if (Attribute(tag, "BGCOLOR", value) && !options_.selected && !measure) {
        if (!style_.fontBrush)
            style_.fontBrush = canvas_.Brush().Color();
        canvas_.Brush().SetColor(ParseColor(value));
    }
    int size = 0;
    if (NumberAttribute(tag, "SIZE", size)) {
        static const int points[] = {8, 10, 12, 14, 16};
        font.SetSize(size >= 1 && size <= 5 ? points[size - 1] : std::min(size, kMaxPoints));
    }
}

void MarkupEngine::Bullet(const RECT& lineRect, LineState& line, bool measure)
{
    // A bullet outside any list is placed as one on the first level.
    const int level = std::max(style_.listLevel, 1);
    line.width += kBulletWidth * level;
    x_ += (level - 1) * kBulletWidth;
    if (!measure) {
        TFont& font = canvas_.Font();
        const std::string name = font.Name();
        const BYTE charset = font.Charset();
        font.SetName("Symbol");
        font.SetCharset(SYMBOL_CHARSET);
        const int bottom = lineRect.bottom - line.drop - line.imageOffset;
        DrawRun(level % 2 ? "\xB7" : "o", {x_, lineRect.top, x_ + kBulletWidth, bottom});
        font.SetName(name);
        font.SetCharset(charset);
    }
    x_ += kBulletWidth;
}

TagOutcome MarkupEngine::Image(const std::string& tag, const RECT& lineRect, LineState& line, bool measure,
                               bool& onImage, bool lineHasContent)
{
    ++style_.images;
    std::string src;
    Attribute(tag, "SRC", src);
    std::string alt;
    if (Attribute(tag, "ALT", alt) && style_.images == imageUnderPoint_)
        src = alt;
    int forcedWidth = 0, forcedHeight = 0;
    NumberAttribute(tag, "WIDTH", forcedWidth);
    NumberAttribute(tag, "HEIGHT", forcedHeight);

    enum class Kind { None, List, System, Picture } kind = Kind::None;
    int w = 0, h = 0, index = 0;
    bool large = false;
    std::string systemSource;
    THTMLPicture* picture = nullptr;
    if (StartsWith(src, "IDX:") && options_.images && ReadNumber(src, 4, index) && index < options_.images->Count()) {
        kind = Kind::List;
        w = Scaled(options_.images->Width());
        h = Scaled(options_.images->Height());
    }
    if (StartsWith(src, "SSYS:") || StartsWith(src, "LSYS:")) {
        large = src[0] == 'L';
        systemSource = src.substr(5);
        SIZE size = {0, 0};
        if (DrawSystemIcon(canvas_, 0, 0, size, options_.printScale, options_.printing, false, large, systemSource)) {
            kind = Kind::System;
            w = Scaled(size.cx);
            h = Scaled(size.cy);
        }
    }
    if (src.find(':') == std::string::npos && options_.pictures)
        picture = options_.pictures->FindPicture(src);
    if (src.find("://") != std::string::npos && options_.cache) {
        picture = options_.cache->FindPicture(src);
        if (!picture) {
            picture = &options_.cache->AddPicture();
            try {
                picture->LoadFromURL(src);
            } catch (const std::exception&) {
                // stays empty: draws nothing, takes no room
            }
        }
    }
    const bool forced = forcedWidth >= 1 && forcedHeight >= 1;
    if (picture && !picture->Empty() && picture->Width() > 0 && picture->Height() > 0) {
        kind = Kind::Picture;
        w = Scaled(forced ? forcedWidth : picture->Width());
        h = Scaled(forced ? forcedHeight : picture->Height());
    }

    const int fitWidth = rect_.right - rect_.left;
    if (line.width + w > fitWidth && fitWidth > w && lineHasContent) {
        --style_.images;   // counted again on the next line
        return TagOutcome::LineFull;
    }

    const int top = lineRect.top;
    if (!measure) {
        switch (kind) {
        case Kind::List:
            if (options_.printing) {
                TBitmap bitmap;
                options_.images->GetBitmap(index, bitmap);
                StretchBitmap(canvas_, {x_, top, x_ + static_cast<int>(std::lround(bitmap.Width() * options_.printScale)),
                                        top + static_cast<int>(std::lround(bitmap.Height() * options_.printScale))},
                              bitmap);
            } else {
                options_.images->Draw(canvas_, x_, top, index, true);
            }
            break;
        case Kind::System: {
            SIZE size;
            DrawSystemIcon(canvas_, x_, top, size, options_.printScale, options_.printing, true, large, systemSource);
            break;
        }
        case Kind::Picture:
            if (forced) {
                const bool stretch = picture->Stretch();
                picture->SetStretch(true);
                picture->Draw(canvas_, {x_, top, x_ + forcedWidth, top + forcedHeight});
                picture->SetStretch(stretch);
            } else {
                if (picture->GetFrameCount() > 1 && background_ != clNone) {
                    const TColor brush = canvas_.Brush().Color();
                    canvas_.Brush().SetColor(background_);
                    canvas_.FillRect({x_, top, x_ + w, top + h});
                    canvas_.Brush().SetColor(brush);
                }
                picture->Draw(canvas_, {x_ + picture->FrameLeft(), top, x_ + w, top + h});
            }
            break;
        case Kind::None:
            break;
        }
    }

    const POINT& p = options_.point;
    if (style_.inAnchor && p.x >= x_ && p.x < x_ + w && p.y >= top && p.y < top + h) {
        onImage = true;
        result_.hotTarget = style_.target;
        style_.hot = true;
        imageUnderPoint_ = style_.images;
    }
    x_ += w;
    line.width += w;
    line.height = std::max(line.height, h);
    blankWidth_ = 0;
    lineText_ += '\x01';   // an image ends the line's text in no blank

    const int gh = GhHeight();
    if (tag.find("\"TOP") != std::string::npos)
        line.imageOffset = std::max(0, line.height - gh);
    else if (tag.find("\"MIDDLE") != std::string::npos)
        line.imageOffset = std::max(0, (line.height - gh) / 2);
    return TagOutcome::Continue;
}

}  // namespace

bool DrawMarkup(TCanvas& canvas, const std::string& text, const RECT& rect, const TMarkupOptions& options,
                TMarkupResult& result)
{
    MarkupEngine engine(canvas, rect, options, result);
    return engine.Run(text);
}

TColor ColorFromName(const std::string& name)
{
    static const struct {
        const char* name;
        TColor color;
    } colors[] = {
        {"clred", clRed},
        {"clblack", clBlack},
        {"clblue", clBlue},
        {"clgreen", clGreen},
        {"claqua", clAqua},
        {"clyellow", clYellow},
        {"clfuchsia", clFuchsia},
        {"clwhite", clWhite},
        {"cllime", clLime},
        {"clsilver", clSilver},
        {"clgray", clGray},
        {"clolive", clOlive},
        {"clnavy", clNavy},
        {"clpurple", clPurple},
        {"clteal", clTeal},
        {"clmaroon", clMaroon},
        {"clbackground", clBackground},
        {"clactivecaption", clActiveCaption},
        {"clinactivecaption", clInactiveCaption},
        {"clmenu", clMenu},
        {"clwindow", clWindow},
        {"clwindowframe", clWindowFrame},
        {"clmenutext", clMenuText},
        {"clwindowtext", clWindowText},
        {"clcaptiontext", clCaptionText},
        {"clactiveborder", clActiveBorder},
        {"clinactiveborder", clInactiveBorder},
        {"clappworkspace", clAppWorkSpace},
        {"clhighlight", clHighlight},
        {"clhighlighttext", clHighlightText},
        {"clbtnface", clBtnFace},
        {"clbtnshadow", clBtnShadow},
        {"clgraytext", clGrayText},
        {"clbtntext", clBtnText},
        {"clinactivecaptiontext", clInactiveCaptionText},
        {"clbtnhighlight", clBtnHighlight},
        {"cl3ddkshadow", cl3DDkShadow},
        {"cl3dlight", cl3DLight},
        {"clinfotext", clInfoText},
        {"clinfobk", clInfoBk},
    };
    for (const auto& c : colors)
        if (name == c.name)
            return c.color;
    return 0;
}

TColor ColorFromHex(const std::string& hex)
{
    auto pair = [&](size_t at) {
        if (hex.size() < at + 2)
            return 0;
        return std::max(HexDigit(hex[at]), 0) * 16 + std::max(HexDigit(hex[at + 1]), 0);
    };
    return pair(1) + pair(3) * 256 + pair(5) * 65536;
}

bool DrawSystemIcon(TCanvas& canvas, int x, int y, SIZE& size, double scale, bool printing, bool draw, bool large,
                    const std::string& source)
{
    size = {0, 0};
    const UINT which = SHGFI_SYSICONINDEX | (large ? SHGFI_LARGEICON : SHGFI_SMALLICON);
    SHFILEINFOA info = {};
    // The shell's own list: shared by the whole process, never destroyed here.
    auto list = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA("", 0, &info, sizeof info, which));
    if (!list)
        return false;
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    size = {cx, cy};

    int index = 0;
    const bool number = !source.empty() && source.size() <= 9 &&
                        std::all_of(source.begin(), source.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (number) {
        index = std::stoi(source);
    } else {
        info = {};
        if (GetFileAttributesA(source.c_str()) != INVALID_FILE_ATTRIBUTES)
            SHGetFileInfoA(source.c_str(), 0, &info, sizeof info, which);
        else
            SHGetFileInfoA(source.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info, which | SHGFI_USEFILEATTRIBUTES);
        index = info.iIcon;
    }
    if (!draw)
        return true;
    if (!printing) {
        ImageList_Draw(list, index, canvas.Handle(), x, y, ILD_TRANSPARENT);
        canvas.Changed();
        return true;
    }
    TBitmap bitmap(cx, cy);
    ImageList_Draw(list, index, bitmap.Canvas().Handle(), 0, 0, ILD_TRANSPARENT);
    StretchBitmap(canvas,
                  {x, y, x + static_cast<int>(std::lround(cx * scale)), y + static_cast<int>(std::lround(cy * scale))},
                  bitmap);
    return true;
}
