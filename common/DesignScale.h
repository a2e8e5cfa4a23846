#pragma once
// The windows were drawn in pixels for a small font (8 point at 96 dots per inch); a desktop
// font is usually larger, and at the drawn sizes its text would be cut off. One factor, from
// the running font's metrics against the design font's, grows every position and size alike,
// as a form designer scales a form for another font. Pure arithmetic: the caller measures.

#include <QRect>
#include <QSize>

#include <array>

// Texts whose width in the design font the windows record: labels sized to their text.
struct TReferenceText {
    const char* text;
    int designWidth;
};
inline constexpr std::array<TReferenceText, 3> ReferenceTexts {{
    {"Type Entry Name Here:", 111},
    {"Entry Value:", 57},
    {"Activation Hot Key:", 91},
}};
// Height of a line of text in the design font (the labels' height).
inline constexpr int DesignTextHeight = 13;

class TDesignScale final {
public:
    TDesignScale() = default; // the design itself
    explicit TDesignScale(double factor);

    // The widths of ReferenceTexts in the running font, in the same order, and its line
    // height. The factor is the largest of the ratios, so each reference text and a line of
    // text fit whole; never below 1, as pictures and frames do not shrink with a font.
    static TDesignScale FromMetrics(const std::array<int, ReferenceTexts.size()>& widths, int textHeight);

    double Factor() const { return m_factor; }

    int operator()(int designPixels) const;
    QSize operator()(const QSize& design) const;
    QRect operator()(const QRect& design) const;

    bool operator==(const TDesignScale&) const = default;

private:
    double m_factor = 1.0;
};
