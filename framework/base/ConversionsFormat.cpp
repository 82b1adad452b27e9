// FormatFloat: the pattern language of 0 # . , E+ E- e+ e- quoted text and sections.
#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

#include "framework/base/Conversions.hpp"
#include "framework/base/ConversionsDigits.hpp"

namespace rtl {

namespace {

using detail::TDecimal;

// Extended carries about 19 significant digits; more would only print binary noise.
constexpr int MaxDigits = 18;

enum class TItemKind { Literal, IntegerDigit, DecimalPoint, DecimalDigit, Exponent };

struct TItem {
    TItemKind Kind;
    std::string Text;  // Literal: the text; Exponent: "E" or "e"
};

// One section of a pattern, parsed: its items in order and what they imply.
struct TSection {
    std::vector<TItem> Items;
    int IntegerPlaces = 0;     // placeholders before the decimal point
    int MinIntegerDigits = 0;  // from the first '0' before the point on
    int DecimalPlaces = 0;     // placeholders after it
    int MinDecimals = 0;       // up to the last '0' after it
    bool Thousands = false;
    bool Scientific = false;
    bool ExponentSignAlways = false;
    int ExponentDigits = 0;
};

TSection ParseSection(std::string_view text) {
    TSection section;
    bool afterPoint = false;
    int firstIntegerZero = -1;
    auto literal = [&section](std::string_view piece) {
        if (!section.Items.empty() && section.Items.back().Kind == TItemKind::Literal)
            section.Items.back().Text += piece;
        else section.Items.push_back({TItemKind::Literal, std::string(piece)});
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\'' || c == '"') {
            std::size_t close = text.find(c, i + 1);
            if (close == std::string_view::npos) close = text.size();  // runs to the end
            literal(text.substr(i + 1, close - i - 1));
            i = close;
        } else if ((c == '0' || c == '#') && !section.Scientific) {
            if (afterPoint) {
                section.Items.push_back({TItemKind::DecimalDigit, {}});
                ++section.DecimalPlaces;
                if (c == '0') section.MinDecimals = section.DecimalPlaces;
            } else {
                section.Items.push_back({TItemKind::IntegerDigit, {}});
                if (c == '0' && firstIntegerZero < 0) firstIntegerZero = section.IntegerPlaces;
                ++section.IntegerPlaces;
            }
        } else if (c == '.' && !afterPoint && !section.Scientific) {
            afterPoint = true;
            section.Items.push_back({TItemKind::DecimalPoint, {}});
        } else if (c == ',') {
            // Grouping marker; it has no meaning after the decimal point.
            if (!afterPoint) section.Thousands = true;
        } else if ((c == 'E' || c == 'e') && !section.Scientific && i + 1 < text.size() &&
                   (text[i + 1] == '+' || text[i + 1] == '-')) {
            section.Scientific = true;
            section.ExponentSignAlways = text[i + 1] == '+';
            section.Items.push_back({TItemKind::Exponent, std::string(1, c)});
            i += 1;
            while (i + 1 < text.size() && text[i + 1] == '0' && section.ExponentDigits < 4) {
                ++section.ExponentDigits;
                ++i;
            }
        } else {
            literal(text.substr(i, 1));
        }
    }
    if (firstIntegerZero >= 0) section.MinIntegerDigits = section.IntegerPlaces - firstIntegerZero;
    return section;
}

// The magnitude rounded as the section prints it.
TDecimal RoundFor(const TSection& section, Extended magnitude) {
    if (section.Scientific) {
        const int count = std::clamp(section.IntegerPlaces + section.DecimalPlaces, 1, MaxDigits);
        return detail::RoundToSignificant(magnitude, count);
    }
    return detail::RoundToDecimals(magnitude, section.DecimalPlaces, MaxDigits);
}

// The digit strings a rounded value fills the placeholders with.
struct TLayout {
    std::string Integer;   // most significant first, no separators
    std::string Decimals;  // already cut to the decimal placeholders
    int Exponent = 0;
};

TLayout Lay(const TSection& section, const TDecimal& decimal) {
    TLayout layout;
    const std::string& digits = decimal.Digits;
    // Digits before the point: all integer digits, or in scientific notation exactly
    // as many as there are integer placeholders, the exponent taking up the rest.
    int integerLength = decimal.Exponent;
    if (section.Scientific) {
        integerLength = section.IntegerPlaces;
        layout.Exponent = decimal.IsZero() ? 0 : decimal.Exponent - section.IntegerPlaces;
    }
    if (!decimal.IsZero() && integerLength > 0) {
        const auto length = static_cast<std::size_t>(integerLength);
        layout.Integer = digits.substr(0, length);
        layout.Integer.append(length - layout.Integer.size(), '0');
    }
    const std::size_t minInteger = decimal.IsZero() && section.Scientific && section.IntegerPlaces > 0
                                       ? std::max(section.MinIntegerDigits, 1)
                                       : static_cast<std::size_t>(section.MinIntegerDigits);
    if (layout.Integer.size() < minInteger) layout.Integer.insert(0, minInteger - layout.Integer.size(), '0');

    if (!decimal.IsZero()) {
        if (integerLength >= 0) {
            if (digits.size() > static_cast<std::size_t>(integerLength))
                layout.Decimals = digits.substr(static_cast<std::size_t>(integerLength));
        } else {
            layout.Decimals = std::string(static_cast<std::size_t>(-integerLength), '0') + digits;
        }
    }
    layout.Decimals.resize(std::min(layout.Decimals.size(), static_cast<std::size_t>(section.DecimalPlaces)));
    if (layout.Decimals.size() < static_cast<std::size_t>(section.MinDecimals))
        layout.Decimals.append(section.MinDecimals - layout.Decimals.size(), '0');
    return layout;
}

std::string Render(const TSection& section, const TLayout& layout) {
    std::string out;
    const std::string& integer = layout.Integer;
    const int width = static_cast<int>(integer.size());
    const bool grouping = section.Thousands && !section.Scientific;
    // Digit positions count from the units (0) leftwards.
    auto putIntegerDigit = [&](int position) {
        if (position >= width) return;
        out += integer[static_cast<std::size_t>(width - 1 - position)];
        if (grouping && position > 0 && position % 3 == 0) out += FormatSettings.ThousandSeparator;
    };
    int integerIndex = 0, decimalIndex = 0;
    for (const TItem& item : section.Items) {
        switch (item.Kind) {
            case TItemKind::Literal: out += item.Text; break;
            case TItemKind::IntegerDigit: {
                const int position = section.IntegerPlaces - 1 - integerIndex;
                if (integerIndex++ == 0)  // digits beyond the placeholders go first
                    for (int p = width - 1; p > position; --p) putIntegerDigit(p);
                putIntegerDigit(position);
                break;
            }
            case TItemKind::DecimalPoint:
                if (!layout.Decimals.empty()) out += FormatSettings.DecimalSeparator;
                break;
            case TItemKind::DecimalDigit:
                if (static_cast<std::size_t>(decimalIndex) < layout.Decimals.size())
                    out += layout.Decimals[static_cast<std::size_t>(decimalIndex)];
                ++decimalIndex;
                break;
            case TItemKind::Exponent: {
                out += item.Text;
                if (layout.Exponent < 0) out += '-';
                else if (section.ExponentSignAlways) out += '+';
                std::string digits = std::to_string(std::abs(layout.Exponent));
                if (digits.size() < static_cast<std::size_t>(section.ExponentDigits))
                    digits.insert(0, section.ExponentDigits - digits.size(), '0');
                out += digits;
                break;
            }
        }
    }
    return out;
}

// Splits at the ';' outside quotes.
std::vector<std::string_view> SplitSections(std::string_view pattern) {
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    char quote = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';') {
            sections.push_back(pattern.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(pattern.substr(start));
    return sections;
}

}  // namespace

std::string FormatFloat(const std::string& Format, Extended Value) {
    if (Format.empty() || !std::isfinite(Value)) return FloatToStr(Value);
    const std::vector<std::string_view> sections = SplitSections(Format);
    auto hasSection = [&sections](std::size_t i) { return i < sections.size() && !sections[i].empty(); };
    if (sections[0].empty()) return FloatToStr(Value);

    const Extended magnitude = std::fabs(Value);
    const TSection first = ParseSection(sections[0]);
    const TDecimal rounded = RoundFor(first, magnitude);

    TSection chosen = first;
    TDecimal decimal = rounded;
    std::string sign;
    if (rounded.IsZero()) {
        // A value printed as zero carries no minus sign.
        if (hasSection(2)) chosen = ParseSection(sections[2]);
    } else if (Value < 0 && hasSection(1)) {
        chosen = ParseSection(sections[1]);
        decimal = RoundFor(chosen, magnitude);
    } else if (Value < 0) {
        sign = "-";
    }
    if (!chosen.Scientific && decimal.Exponent > MaxDigits) return FloatToStr(Value);
    return sign + Render(chosen, Lay(chosen, decimal));
}

}  // namespace rtl
