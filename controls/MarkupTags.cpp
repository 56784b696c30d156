// The tags of the mark-up engine: one small handler per tag, found by name in two tables.
#include <windows.h>

#include "MarkupEngine.h"

#include "Bitmap.h"
#include "ImageList.h"
#include "PictureContainer.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace Markup {

const std::vector<MarkupEngine::TagEntry>& MarkupEngine::OpeningTags()
{
    using E = MarkupEngine;
    using C = TagCall;
    static const std::vector<TagEntry> tags = {
        {"A", false, [](E& e, C& c) { e.OpenAnchor(c.raw, c.rawAt, c.lineRect); return TagOutcome::Continue; }},
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
             return e.Image(c.tag, c.lineRect, c.line, c.measure, c.onImage, c.tagsOnLine > 0 || e.lineHasText_);
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
        font_.SetColor(background_);
    return TagOutcome::Continue;
}

TagOutcome MarkupEngine::EndBlink()
{
    font_.SetColor(baseFont_.Color());
    return TagOutcome::Continue;
}

TagOutcome MarkupEngine::EndFont(bool measure)
{
    TFont& font = font_;
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
        style_.hiFont = font_.Color();
    }
    canvas_.Brush().SetColor(clHighlight);
    font_.SetColor(clHighlightText);
    return TagOutcome::Continue;
}

TagOutcome MarkupEngine::EndHighlight()
{
    if (style_.hiBrush) {
        canvas_.Brush().SetColor(*style_.hiBrush);
        font_.SetColor(*style_.hiFont);
        style_.hiBrush.reset();
        style_.hiFont.reset();
    }
    return TagOutcome::Continue;
}

TagOutcome MarkupEngine::Rule(const TagCall& call)
{
    if (!call.measure) {
        // One pixel below the text: clear of its descenders.
        const int y = call.lineRect.bottom - call.line.imageOffset;
        const TColor pen = canvas_.Pen().Color();
        canvas_.Pen().SetColor(clBlack);
        canvas_.MoveTo(call.lineRect.left, y);
        canvas_.LineTo(call.lineRect.right, y);
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

void MarkupEngine::OpenAnchor(const std::string& raw, size_t rawAt, const RECT& lineRect)
{
    ++style_.anchors;
    style_.inAnchor = true;
    style_.hot = false;
    style_.target = TextSpan();
    size_t open = raw.find('"');
    size_t close = open == std::string::npos ? open : raw.find('"', open + 1);
    if (close != std::string::npos)
        style_.target = {rawAt + open + 1, close - open - 1};

    TFont& font = font_;
    style_.anchorFont = font.Color();
    style_.anchorBrush = canvas_.Brush().Color();
    // Without hoverOnly every anchor is shown as hovered.
    const bool hovered = style_.anchors == options_.hoverAnchor;
    if (!options_.hoverOnly || hovered) {
        SetStyleBit(fsUnderline, true);
        if (options_.hoverBackground != clNone)
            canvas_.Brush().SetColor(options_.hoverBackground);
        if (options_.hoverColor != clNone)
            font.SetColor(options_.hoverColor);
    }
    const bool keepsHoverColor = options_.hoverOnly && hovered && options_.hoverColor != clNone;
    if (!options_.selected && !keepsHoverColor)
        font.SetColor(options_.anchorColor);
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
    font_.SetColor(options_.selected ? style_.anchorFont : baseFont_.Color());
    style_.inAnchor = false;
    if (style_.hot) {
        const int left = style_.anchorStart.y == lineRect.top ? style_.anchorStart.x : lineRect.left;
        hot_.rect = {left, style_.anchorStart.y, x_, lineRect.bottom};
        hot_.anchor = style_.anchors;
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
    TFont& font = font_;
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
        TFont& font = font_;
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
        hot_.target = style_.target;
        style_.hot = true;
        imageUnderPoint_ = style_.images;
    }
    x_ += w;
    line.width += w;
    line.height = std::max(line.height, h);
    blankWidth_ = 0;
    lineHasText_ = true;
    lastChar_ = '\x01';   // an image ends the line's text in no blank

    const int gh = GhHeight();
    std::string align;
    if (Attribute(tag, "ALIGN", align)) {
        if (StartsWith(align, "TOP"))
            line.imageOffset = std::max(0, line.height - gh);
        else if (StartsWith(align, "MIDDLE"))
            line.imageOffset = std::max(0, (line.height - gh) / 2);
    }
    return TagOutcome::Continue;
}

}  // namespace Markup
