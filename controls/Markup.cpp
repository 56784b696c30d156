// The mark-up rendering engine: each line is laid out twice, once to measure it and once, aligned,
// to draw or hit-test it. The tags are handled in MarkupTags.cpp.
#include "Markup.h"

#include <shellapi.h>
#include <commctrl.h>

#include "Bitmap.h"
#include "ImageList.h"
#include "LateLibrary.h"
#include "MarkupEngine.h"
#include "SysUtils.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

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

struct Entity {
    const char* text;
    char c;
};

// Entities (any case), in the order the passes of first-occurrence replacements take them.
constexpr Entity Entities[] = {
    {"&amp;", '&'},      {"&quot;", '"'},     {"&sect;", '\xA7'}, {"&permil;", '\x89'}, {"&reg;", '\xAE'},
    {"&copy;", '\xA9'}, {"&para;", '\xB6'}, {"&trade;", '\x99'}, {"&euro;", '\x80'},
};

// The entity that starts at `at`, letter case ignored, or nullptr.
const Entity* EntityAt(const std::string& text, size_t at)
{
    for (const Entity& e : Entities) {
        size_t length = std::char_traits<char>::length(e.text);
        if (text.size() - at < length)
            continue;
        size_t k = 0;
        while (k < length && std::tolower(static_cast<unsigned char>(text[at + k])) == e.text[k])
            ++k;
        if (k == length)
            return &e;
    }
    return nullptr;
}

// Entities, replaced until none is left, in one pass over the text. "&amp;" becomes "&&" (drawn as
// one "&"), whose second "&" may start an entity with the text after it; it is read again for
// that. No other replacement can make or break an entity, so the result is the same as that of
// whole passes, each replacing the first occurrence of each entity, until nothing changes.
void ReplaceEntities(std::string& text)
{
    if (text.find('&') == std::string::npos)
        return;
    size_t out = 0;
    size_t in = 0;
    while (in < text.size()) {
        const Entity* e = text[in] == '&' ? EntityAt(text, in) : nullptr;
        if (!e) {
            text[out++] = text[in++];
            continue;
        }
        text[out++] = e->c;
        in += std::char_traits<char>::length(e->text);
        if (e == &Entities[0])
            text[--in] = '&';   // the second "&", over the ";" already read
    }
    text.resize(out);
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
    // Line feeds go; each carriage return becomes a line break.
    std::string lines;
    lines.reserve(text.size());
    for (char c : text) {
        if (c == '\r')
            lines += "<BR>";
        else if (c != '\n')
            lines += c;
    }
    text.swap(lines);
}

// A text run with "&nbsp;", "&lt;" and "&gt;" (lower case only) replaced. An escape right after
// an "&" (one half of a drawn "&") keeps its own "&", so "&&lt;" becomes "&&<" and shows "&<".
std::string RunText(const std::string& text, size_t from, size_t to)
{
    static const struct {
        const char* escape;
        char c;
    } escapes[] = {{"&nbsp;", ' '}, {"&lt;", '<'}, {"&gt;", '>'}};
    std::string run;
    run.reserve(to - from);
    size_t at = from;
    while (at < to) {
        bool replaced = false;
        if (text[at] == '&') {
            for (const auto& e : escapes) {
                size_t length = std::char_traits<char>::length(e.escape);
                if (to - at >= length && text.compare(at, length, e.escape) == 0) {
                    if (!run.empty() && run.back() == '&')
                        run += '&';
                    run += e.c;
                    at += length;
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            run += text[at++];
    }
    return run;
}

}  // namespace

bool StartsWith(const std::string& s, const char* prefix)
{
    return s.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

bool ReadNumber(const std::string& s, size_t at, int& value)
{
    const int base = NumberBase(s, at);
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

LayoutFonts::LayoutFonts(TCanvas& canvas) : canvas_(canvas)
{
    faces_.reserve(kFaces);
    dc_ = canvas_.Handle();
    textColor_ = GetTextColor(dc_);
}

LayoutFonts::~LayoutFonts()
{
    if (restore_ && Ours(GetCurrentObject(dc_, OBJ_FONT)))
        SelectObject(dc_, restore_);
    SetTextColor(dc_, textColor_);
}

bool LayoutFonts::Ours(HGDIOBJ font) const
{
    return std::any_of(faces_.begin(), faces_.end(), [font](const Face& f) { return f.handle.get() == font; });
}

LayoutFonts::Face& LayoutFonts::Make(const LOGFONTA& key, HDC dc)
{
    Face* face = nullptr;
    if (faces_.size() < kFaces) {
        face = &faces_.emplace_back();
    } else {
        face = &faces_[next_++ % faces_.size()];
        if (GetCurrentObject(dc, OBJ_FONT) == face->handle.get())
            SelectObject(dc, restore_);   // never delete the font the DC holds
    }
    face->key = key;
    face->handle.reset(CreateFontIndirectA(&key));
    // A font the system cannot make: the text keeps the canvas's.
    const SelectedObject measure(dc, face->handle ? face->handle.get() : canvas_.Font().Handle());
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc, &tm);
    SIZE blank = {0, 0};
    GetTextExtentPoint32A(dc, " ", 1, &blank);
    face->lineHeight = tm.tmHeight + tm.tmExternalLeading;
    face->blank = blank.cx;
    return *face;
}

const LayoutFonts::Face& LayoutFonts::Use(const TFont& font, int degrees, HDC& dc)
{
    // The canvas's tools go into the DC first: it must never take one of ours for the DC's own.
    dc = canvas_.Handle();
    dc_ = dc;
    LOGFONTA key = font.LogFont();
    key.lfEscapement = key.lfOrientation = degrees * 10;
    auto found = std::find_if(faces_.begin(), faces_.end(),
                              [&key](const Face& f) { return std::memcmp(&f.key, &key, sizeof key) == 0; });
    const Face& face = found != faces_.end() ? *found : Make(key, dc);
    HGDIOBJ wanted = face.handle ? face.handle.get() : canvas_.Font().Handle();
    HGDIOBJ current = GetCurrentObject(dc, OBJ_FONT);
    if (current != wanted) {
        if (!Ours(current))
            restore_ = current;
        SelectObject(dc, wanted);
    }
    return face;
}

int MarkupEngine::BlankWidth()
{
    if (style_.rotation)
        return Measure(" ").cx;
    HDC dc = nullptr;
    return fonts_.Use(font_, 0, dc).blank;
}

SIZE MarkupEngine::Measure(const std::string& s)
{
    HDC dc = nullptr;
    const LayoutFonts::Face& face = fonts_.Use(font_, style_.rotation, dc);
    // Plain text on one line measures as the system's text call would, at a fraction of its
    // cost: a line of many words is measured word by word.
    if (!style_.rotation && s.find_first_of("&\t") == std::string::npos) {
        SIZE size = {0, 0};
        GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
        return {size.cx, face.lineHeight};
    }
    RECT r = {0, 0, 0, 0};
    // Wine reports no height for a bottom-aligned rectangle being measured.
    DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &r, (kTextFlags & ~DT_BOTTOM) | DT_CALCRECT);
    return {r.right - r.left, r.bottom - r.top};
}

void MarkupEngine::DrawRun(const std::string& run, RECT rect, TColor color)
{
    HDC dc = nullptr;
    fonts_.Use(font_, style_.rotation, dc);
    SetTextColor(dc, ColorToRGB(color) & 0x00FFFFFF);
    UINT flags = kTextFlags | (options_.wordWrap ? 0 : DT_END_ELLIPSIS);
    DrawTextA(dc, run.c_str(), static_cast<int>(run.size()), &rect, flags);
    canvas_.Changed();
}

void MarkupEngine::SetStyleBit(TFontStyles bit, bool on)
{
    TFontStyles style = font_.Style();
    font_.SetStyle(on ? style | bit : style & ~bit);
}

void MarkupEngine::FillBand(const RECT& lineRect)
{
    canvas_.Brush().SetColor(style_.paraColor);
    canvas_.Pen().SetColor(style_.paraColor);
    canvas_.FillRect({rect_.left, lineRect.top, rect_.right, lineRect.bottom});
}

bool MarkupEngine::Run(std::string text)
{
    font_.Assign(canvas_.Font());
    baseFont_.Assign(font_);
    background_ = canvas_.Brush().Color();
    const TColor pen = canvas_.Pen().Color();
    canvas_.Brush().SetColor(clNone);   // text over whatever is there

    result_ = TMarkupResult();
    Preprocess(text);
    text_ = &text;

    const int fitWidth = rect_.right - rect_.left;
    bool hit = false;
    int y = rect_.top;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = pos;
        // The measuring pass must leave no trace.
        const StyleState savedStyle = style_;
        TFont savedFont;
        savedFont.Assign(font_);
        const TColor savedBrush = canvas_.Brush().Color();
        const TColor savedPen = canvas_.Pen().Color();
        const HotAnchor savedHot = hot_;
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
            font_.Assign(savedFont);
            canvas_.Brush().SetColor(savedBrush);
            canvas_.Pen().SetColor(savedPen);
            // The measuring pass saw the line unaligned and before its height was known.
            const bool pointOnLine = options_.point.y >= y && options_.point.y < lineBottom;
            if (options_.hitTestOnly || !pointOnLine)
                hot_ = savedHot;
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
    result_.hotRect = hot_.rect;
    result_.hotAnchor = hot_.anchor;
    result_.hotTarget = text.substr(hot_.target.at, hot_.target.length);
    result_.focusTarget = text.substr(focusTarget_.at, focusTarget_.length);
    text_ = nullptr;

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
    lineHasText_ = false;
    lastChar_ = 0;
    if (style_.focusOpen)
        style_.focusLeft = x_;
    if (style_.paraBack && !measure)
        FillBand(lineRect);

    bool ended = false;
    int tags = 0;
    int bullets = 0;
    while (pos < end && !ended) {
        // A run ends before a tag, or with word wrap after a blank; looked for no further.
        size_t runEnd = pos;
        while (runEnd < end && text[runEnd] != '<') {
            if (text[runEnd++] == ' ' && options_.wordWrap)
                break;
        }
        if (runEnd > pos) {
            if (!PlaceRun(RunText(text, pos, runEnd), lineRect, line, measure, onAnchor))
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
        TagOutcome outcome = HandleTag(pos, gt - pos, lineRect, line, measure, onImage, tags, bullets);
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
    const SIZE size = Measure(run);
    const int h = size.cy;
    if (style_.hidden) {
        // Hidden text takes no room across, but its height counts.
        if (style_.sub)
            line.drop = std::max(line.drop, h / 4);
        if (style_.sup)
            line.rise = std::max(line.rise, h / 4);
        line.height = std::max(line.height, h);
        result_.plainText += run;
        return true;
    }
    const int fitWidth = rect_.right - rect_.left;
    const int blank = run.back() == ' ' ? BlankWidth() : 0;
    // A trailing blank may hang past the edge; a word glued to the one before never wraps alone.
    const bool fits =
        line.width + size.cx - blank <= fitWidth || size.cx >= fitWidth || !lineHasText_ || lastChar_ != ' ';
    if (options_.wordWrap && !fits)
        return false;

    if (style_.sub)
        line.drop = std::max(line.drop, h / 4);
    if (style_.sup)
        line.rise = std::max(line.rise, h / 4);
    line.height = std::max(line.height, h);
    result_.plainText += run;
    lineHasText_ = true;
    lastChar_ = run.back();

    const POINT& p = options_.point;
    if (measure) {
        if (style_.inAnchor && p.x >= x_ && p.x < x_ + size.cx) {
            onAnchor = true;
            if (p.y >= lineRect.top && p.y < lineRect.bottom) {
                hot_.target = style_.target;
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
            const int o = options_.shadowOffset;
            DrawRun(run, {x_ + o, lineRect.top + o, lineRect.right + o, bottom + o}, options_.shadowColor);
        }
        DrawRun(run, {x_, lineRect.top, lineRect.right, bottom});
        if (style_.focusOpen)
            focusTarget_ = style_.target;
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

TagOutcome MarkupEngine::HandleTag(size_t at, size_t length, const RECT& lineRect, LineState& line, bool measure,
                                   bool& onImage, int tagsOnLine, int& bullets)
{
    const std::string raw = text_->substr(at, length);
    const std::string tag = AnsiUpperCase(raw);
    const bool closing = tag.size() > 1 && tag[1] == '/';
    std::string name;
    for (size_t i = closing ? 2 : 1; i < tag.size() && tag[i] >= 'A' && tag[i] <= 'Z'; ++i)
        name += tag[i];
    if (name.empty())
        return TagOutcome::Continue;
    TagCall call{raw, at, tag, lineRect, line, measure, onImage, tagsOnLine, bullets};
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
    auto list = reinterpret_cast<HIMAGELIST>(Shell32::SHGetFileInfoA("", 0, &info, sizeof info, which));
    if (!list)
        return false;
    int cx = 0, cy = 0;
    ComCtl32::ImageList_GetIconSize(list, &cx, &cy);
    size = {cx, cy};

    int index = 0;
    const bool number = !source.empty() && source.size() <= 9 &&
                        std::all_of(source.begin(), source.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (number) {
        index = std::stoi(source);
    } else {
        info = {};
        if (GetFileAttributesA(source.c_str()) != INVALID_FILE_ATTRIBUTES)
            Shell32::SHGetFileInfoA(source.c_str(), 0, &info, sizeof info, which);
        else
            Shell32::SHGetFileInfoA(source.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                                    which | SHGFI_USEFILEATTRIBUTES);
        index = info.iIcon;
    }
    if (!draw)
        return true;
    if (!printing) {
        ComCtl32::ImageList_Draw(list, index, canvas.Handle(), x, y, ILD_TRANSPARENT);
        canvas.Changed();
        return true;
    }
    TBitmap bitmap(cx, cy);
    ComCtl32::ImageList_Draw(list, index, bitmap.Canvas().Handle(), 0, 0, ILD_TRANSPARENT);
    StretchBitmap(canvas,
                  {x, y, x + static_cast<int>(std::lround(cx * scale)), y + static_cast<int>(std::lround(cy * scale))},
                  bitmap);
    return true;
}
