// The mark-up rendering engine: each line is laid out twice, once to measure it and once, aligned,
// to draw or hit-test it. The tags are handled in MarkupTags.cpp.
#include "Markup.h"

#include <shellapi.h>
#include <commctrl.h>

#include "Bitmap.h"
#include "ImageList.h"
#include "MarkupEngine.h"
#include "SysUtils.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr UINT kTextFlags = DT_SINGLELINE | DT_BOTTOM | DT_EXPANDTABS | DT_EXTERNALLEADING;

}  // namespace

namespace Markup {

namespace {

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

}  // namespace

bool StartsWith(const std::string& s, const char* prefix)
{
    return s.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

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

TColor ParseColor(const std::string& value)
{
    std::string lower = AnsiLowerCase(value);
    if (StartsWith(lower, "cl"))
        return ColorFromName(lower);
    if (StartsWith(value, "#"))
        return ColorFromHex(value);
    return 0;
}

void StretchBitmap(TCanvas& canvas, const RECT& rect, TBitmap& bitmap)
{
    HDC source = bitmap.Canvas().Handle();
    StretchBlt(canvas.Handle(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source, 0, 0,
               bitmap.Width(), bitmap.Height(), canvas.CopyMode());
    canvas.Changed();
}

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

}  // namespace Markup

using namespace Markup;

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
