#include "framework/base/StreamingParser.hpp"

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "framework/base/Component.hpp"
#include "framework/base/Streaming.hpp"
#include "framework/base/StreamingNames.hpp"
#include "framework/base/TextCase.hpp"

namespace rtl::streaming {

void FailAtLine(int Line, const std::string& What) {
    throw EReadError("Line " + std::to_string(Line) + ": " + What);
}

namespace {

bool IsIdentChar(char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '_';
}
bool IsDigit(char C) { return C >= '0' && C <= '9'; }

struct TTextLine {
    std::string_view Text;  // without indentation and trailing blanks
    int Number;
};

std::string_view Trim(std::string_view S) {
    const auto First = S.find_first_not_of(" \t");
    if (First == std::string_view::npos) return {};
    const auto Last = S.find_last_not_of(" \t\r");
    return S.substr(First, Last - First + 1);
}

// Takes the leading run of identifier characters (and dots, for a property path).
std::string_view TakeWord(std::string_view& S, bool AllowDots = false) {
    std::size_t Length = 0;
    while (Length < S.size() && (IsIdentChar(S[Length]) || (AllowDots && S[Length] == '.'))) ++Length;
    const std::string_view Word = S.substr(0, Length);
    S.remove_prefix(Length);
    return Word;
}

// A property name is an identifier, or a dotted path to a field of a property
// ("Font.Color").
bool IsPropertyPath(std::string_view S) {
    for (;;) {
        const auto Dot = S.find('.');
        if (!IsValidIdent(std::string(S.substr(0, Dot)))) return false;
        if (Dot == std::string_view::npos) return true;
        S.remove_prefix(Dot + 1);
    }
}

void SkipBlanks(std::string_view& S) {
    while (!S.empty() && (S.front() == ' ' || S.front() == '\t')) S.remove_prefix(1);
}

int HexValue(char C) {
    if (IsDigit(C)) return C - '0';
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    return -1;
}

std::string Unquote(std::string_view Token, int Line) {
    if (Token.empty() || Token.front() != '"') FailAtLine(Line, "expected a string in double quotes");
    std::string Result;
    std::size_t i = 1;
    for (;;) {
        if (i >= Token.size()) FailAtLine(Line, "the string has no closing quote");
        const char C = Token[i++];
        if (C == '"') break;
        if (static_cast<unsigned char>(C) < 0x20 || C == 0x7F)
            FailAtLine(Line, "a control character in a string must be written as an escape");
        if (C != '\\') {
            Result += C;
            continue;
        }
        const char E = i < Token.size() ? Token[i++] : '\0';
        switch (E) {
            case '"': Result += '"'; break;
            case '\\': Result += '\\'; break;
            case 'n': Result += '\n'; break;
            case 'r': Result += '\r'; break;
            case 't': Result += '\t'; break;
            case 'x': {
                const int High = i < Token.size() ? HexValue(Token[i]) : -1;
                const int Low = i + 1 < Token.size() ? HexValue(Token[i + 1]) : -1;
                if (High < 0 || Low < 0) FailAtLine(Line, "\\x must be followed by two hexadecimal digits");
                Result += static_cast<char>(High * 16 + Low);
                i += 2;
                break;
            }
            default: FailAtLine(Line, "unknown escape in a string");
        }
    }
    if (i != Token.size()) FailAtLine(Line, "unexpected text after the closing quote");
    return Result;
}

// What FloatText writes: [-]digits[.digits][e[+|-]digits]. Nothing else (no hex, no
// leading +, no inf or nan: a stored value is a finite number), so that strtold's
// extras are kept out.
bool IsFloatToken(std::string_view T) {
    if (!T.empty() && T.front() == '-') T.remove_prefix(1);
    std::size_t i = 0, Digits = 0;
    while (i < T.size() && IsDigit(T[i])) ++i, ++Digits;
    if (i < T.size() && T[i] == '.')
        for (++i; i < T.size() && IsDigit(T[i]);) ++i, ++Digits;
    if (Digits == 0) return false;
    if (i < T.size() && (T[i] == 'e' || T[i] == 'E')) {
        ++i;
        if (i < T.size() && (T[i] == '+' || T[i] == '-')) ++i;
        const std::size_t ExponentStart = i;
        while (i < T.size() && IsDigit(T[i])) ++i;
        if (i == ExponentStart) return false;
    }
    return i == T.size();
}

// strtold in the "C" locale: correctly rounded, denormals included (which
// std::from_chars refuses), whatever locale the application chose.
Extended ParseFloat(std::string_view Token, int Line) {
    static const locale_t CLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    if (!IsFloatToken(Token)) FailAtLine(Line, "expected a number");
    const std::string Text(Token);
    errno = 0;
    const Extended Value = strtold_l(Text.c_str(), nullptr, CLocale);
    if (errno == ERANGE && std::isinf(Value)) FailAtLine(Line, "the number is out of range");
    return Value;
}

int64_t ParseInteger(std::string_view Token, int Line) {
    int64_t Value = 0;
    const auto [End, Error] = std::from_chars(Token.data(), Token.data() + Token.size(), Value);
    if (Error == std::errc::result_out_of_range) FailAtLine(Line, "the integer is out of range");
    if (Error != std::errc() || End != Token.data() + Token.size() || Token.empty())
        FailAtLine(Line, "expected an integer");
    return Value;
}

class TTextParser {
public:
    explicit TTextParser(const std::string& Text) {
        std::string_view Rest = Text;
        int Number = 0;
        while (!Rest.empty()) {
            ++Number;
            const auto End = Rest.find('\n');
            const std::string_view Raw = Rest.substr(0, End);
            Rest.remove_prefix(End == std::string_view::npos ? Rest.size() : End + 1);
            if (Raw.size() > MaxStoredLineLength)
                FailAtLine(Number,
                           "the line is longer than " + std::to_string(MaxStoredLineLength) + " bytes");
            if (const std::string_view Trimmed = Trim(Raw); !Trimmed.empty())
                FLines.push_back({Trimmed, Number});
        }
        FLastLine = Number;
    }

    TObjectNode ParseRoot() {
        TObjectNode Root = ParseObject(Next(nullptr), 1);
        if (FNext < FLines.size())
            FailAtLine(FLines[FNext].Number, "unexpected text after the root object's end");
        return Root;
    }

private:
    const TTextLine& Next(const TObjectNode* Inside) {
        if (FNext >= FLines.size())
            FailAtLine(FLastLine + 1, Inside ? "the text ends inside the object begun on line " +
                                                   std::to_string(Inside->Line)
                                             : std::string("the text ends too early"));
        return FLines[FNext++];
    }

    // "object" opens a block unless it is a property of that name being assigned.
    static bool IsObjectLine(std::string_view S) {
        if (!S.starts_with("object")) return false;
        S.remove_prefix(6);
        if (!S.empty() && S.front() != ' ' && S.front() != '\t' && S.front() != ':') return false;
        SkipBlanks(S);
        return S.empty() || S.front() != '=';
    }

    TObjectNode ParseObject(const TTextLine& Header, int Depth) {
        if (!IsObjectLine(Header.Text)) FailAtLine(Header.Number, "expected an object line");
        if (Depth > MaxStoredDepth)
            FailAtLine(Header.Number,
                       "objects are nested deeper than " + std::to_string(MaxStoredDepth) + " levels");
        TObjectNode Node;
        Node.Line = Header.Number;
        std::string_view S = Header.Text.substr(6);
        SkipBlanks(S);
        Node.Name = TakeWord(S);
        SkipBlanks(S);
        if (S.empty() || S.front() != ':') FailAtLine(Header.Number, "expected 'object Name: Class'");
        S.remove_prefix(1);
        SkipBlanks(S);
        const std::string ClassName(TakeWord(S));
        if (!S.empty() || ClassName.empty()) FailAtLine(Header.Number, "expected 'object Name: Class'");
        if (!Node.Name.empty() && !IsValidIdent(Node.Name))
            FailAtLine(Header.Number, "the name " + Node.Name + " is not a valid identifier");
        Node.Class = FindClass(ClassName);
        if (!Node.Class) FailAtLine(Header.Number, "unknown class " + ClassName);
        if (++FObjectCount > MaxStoredComponents)
            FailAtLine(Header.Number, "more than " + std::to_string(MaxStoredComponents) + " components");
        std::unordered_set<std::string> ChildNames;  // upper-cased
        for (;;) {
            const TTextLine& Line = Next(&Node);
            if (Line.Text == "end") return Node;
            if (IsObjectLine(Line.Text)) {
                TObjectNode Child = ParseObject(Line, Depth + 1);
                if (!Child.Name.empty() && !ChildNames.insert(AnsiUpperCase(Child.Name)).second)
                    FailAtLine(Line.Number, "a component named " + Child.Name + " already exists here");
                Node.Children.push_back(std::move(Child));
            } else {
                if (!Node.Children.empty())
                    FailAtLine(Line.Number, "properties must come before the owned components");
                Node.Values.push_back(ParseProperty(Line, *Node.Class, Node));
            }
        }
    }

    TValueLine ParseProperty(const TTextLine& Line, const TClassInfo& Class, const TObjectNode& Node) {
        std::string_view S = Line.Text;
        const std::string Name(TakeWord(S, true));
        SkipBlanks(S);
        if (!IsPropertyPath(Name) || S.empty() || S.front() != '=')
            FailAtLine(Line.Number, "expected 'Property = value', an object line or end");
        S.remove_prefix(1);
        SkipBlanks(S);
        const TPropInfo* Prop = Class.FindProperty(Name);
        if (!Prop) FailAtLine(Line.Number, "unknown property " + Name + " of " + Class.ClassName);
        if (!Prop->Write) FailAtLine(Line.Number, "the property " + Name + " cannot be set");
        TValueLine Value{Prop, false, {}, Line.Number};
        const auto Expect = [&](bool Good, const char* What) {
            if (!Good) FailAtLine(Line.Number, "expected " + std::string(What) + " for " + Name);
        };
        switch (Prop->Kind) {
            case TTypeKind::Boolean:
                Expect(S == "true" || S == "false", "true or false");
                Value.Value = S == "true";
                break;
            case TTypeKind::Char: {
                const std::string Text = Unquote(S, Line.Number);
                Expect(Text.size() == 1, "one character in quotes");
                Value.Value = Text[0];
                break;
            }
            case TTypeKind::Integer: Value.Value = ParseInteger(S, Line.Number); break;
            case TTypeKind::Float: Value.Value = ParseFloat(S, Line.Number); break;
            case TTypeKind::String: Value.Value = Unquote(S, Line.Number); break;
            case TTypeKind::StringList: Value.Value = ParseLines(S, Line, Node); break;
            case TTypeKind::Component:
                Expect(S == NilWord || IsValidIdent(std::string(S)), "a component name or nil");
                Value.Value = static_cast<TComponent*>(nullptr);
                if (S != NilWord) Value.Reference = S;
                break;
        }
        return Value;
    }

    std::vector<std::string> ParseLines(std::string_view Opening, const TTextLine& Line,
                                        const TObjectNode& Node) {
        std::vector<std::string> Lines;
        if (Opening == "[]") return Lines;
        if (Opening != "[") FailAtLine(Line.Number, "expected [ to open the lines");
        for (;;) {
            const TTextLine& Item = Next(&Node);
            if (Item.Text == "]") return Lines;
            Lines.push_back(Unquote(Item.Text, Item.Number));
        }
    }

    std::vector<TTextLine> FLines;
    std::size_t FNext = 0;
    int FLastLine = 0;
    int FObjectCount = 0;
};

}  // namespace

TObjectNode ParseComponentText(const std::string& Text) { return TTextParser(Text).ParseRoot(); }

}  // namespace rtl::streaming
