#include "framework/Streaming.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "framework/Component.hpp"
#include "framework/Properties.hpp"
#include "framework/TextCase.hpp"

namespace rtl {

namespace {

// ---- Values as text, shared by the writer and the reader ----

bool IsIdentChar(char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '_';
}
bool IsDigit(char C) { return C >= '0' && C <= '9'; }

std::string Quote(const std::string& S) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string Result = "\"";
    for (const char Ch : S) {
        const auto C = static_cast<unsigned char>(Ch);
        switch (C) {
            case '"': Result += "\\\""; break;
            case '\\': Result += "\\\\"; break;
            case '\n': Result += "\\n"; break;
            case '\r': Result += "\\r"; break;
            case '\t': Result += "\\t"; break;
            default:
                if (C < 0x20 || C == 0x7F) {
                    Result += "\\x";
                    Result += Hex[C >> 4];
                    Result += Hex[C & 15];
                } else {
                    Result += Ch;  // UTF-8 stays as it is: readable
                }
        }
    }
    return Result + '"';
}

// The shortest decimal text that reads back to the same Extended.
std::string FloatText(Extended Value) {
    char Buffer[64];
    const auto Result = std::to_chars(Buffer, Buffer + sizeof Buffer, Value);
    return std::string(Buffer, Result.ptr);
}

// A stored reference names its target: among the components of the stored tree,
// where the name must be unique, then among the outer owner's components. Looked up
// by name once per reference, so the components are indexed by upper-cased name.
class TReferenceNames {
public:
    TReferenceNames(const std::vector<TComponent*>& Tree, const TComponent* Outer) : FOuter(Outer) {
        for (TComponent* Candidate : Tree) {
            if (Candidate->Name().empty()) continue;
            const auto [It, bNew] = FByName.emplace(AnsiUpperCase(Candidate->Name()), Candidate);
            if (!bNew) It->second = nullptr;  // more than one: ambiguous
        }
    }

    TComponent* Find(const std::string& sName, bool& Ambiguous) const {
        const auto It = FByName.find(AnsiUpperCase(sName));
        Ambiguous = It != FByName.end() && It->second == nullptr;
        if (It != FByName.end()) return It->second;
        return FOuter ? FOuter->FindComponent(sName) : nullptr;
    }

private:
    const TComponent* FOuter;
    std::unordered_map<std::string, TComponent*> FByName;
};

constexpr std::string_view NilWord = "nil";
constexpr std::string_view NameProperty = "Name";  // carried by the object line instead

// ---- Writer ----

class TWriter {
public:
    explicit TWriter(const TComponent& Root) : FNames(Collected(Root), Root.Owner()) {}

    std::string Run(const TComponent& Root) {
        WriteObject(Root, 0);
        return std::move(FText);
    }

private:
    std::vector<TComponent*>& Collected(const TComponent& Root) {
        Collect(const_cast<TComponent&>(Root), 0);
        return FTree;
    }

    void Collect(TComponent& Instance, int Depth) {
        if (Depth >= MaxStoredDepth)
            throw EWriteError("Components are nested deeper than " + std::to_string(MaxStoredDepth) +
                              " levels");
        FTree.push_back(&Instance);
        if (FTree.size() > static_cast<std::size_t>(MaxStoredComponents))
            throw EWriteError("More than " + std::to_string(MaxStoredComponents) + " components");
        for (int i = 0; i < Instance.ComponentCount(); ++i) Collect(*Instance.Components(i), Depth + 1);
    }

    void Line(int Depth, const std::string& Text) {
        if (Text.size() + 2 * Depth > MaxStoredLineLength)
            throw EWriteError("A stored line would be longer than " + std::to_string(MaxStoredLineLength) +
                              " bytes");
        FText.append(2 * Depth, ' ');
        FText += Text;
        FText += '\n';
    }

    void WriteObject(const TComponent& Instance, int Depth) {
        Line(Depth, "object " + Instance.Name() + ": " + Instance.ClassName());
        for (const TPropInfo* Prop : Instance.ClassInfo().AllProperties())
            if (Prop->Name != NameProperty && Prop->IsStoredValue(Instance))
                WriteProperty(Instance, *Prop, Depth + 1);
        for (int i = 0; i < Instance.ComponentCount(); ++i) WriteObject(*Instance.Components(i), Depth + 1);
        Line(Depth, "end");
    }

    void WriteProperty(const TComponent& Instance, const TPropInfo& Prop, int Depth) {
        const TPropValue Value = Prop.Read(Instance);
        const std::string Head = Prop.Name + " = ";
        if (const auto* Lines = std::get_if<std::vector<std::string>>(&Value)) {
            if (Lines->empty()) return Line(Depth, Head + "[]");
            Line(Depth, Head + "[");
            for (const std::string& Text : *Lines) Line(Depth + 1, Quote(Text));
            return Line(Depth, "]");
        }
        std::string Text;
        if (const auto* Flag = std::get_if<bool>(&Value)) Text = *Flag ? "true" : "false";
        else if (const auto* Char = std::get_if<char>(&Value)) Text = Quote(std::string(1, *Char));
        else if (const auto* Integer = std::get_if<int64_t>(&Value)) Text = std::to_string(*Integer);
        else if (const auto* Number = std::get_if<Extended>(&Value)) Text = FiniteText(Instance, Prop, *Number);
        else if (const auto* String = std::get_if<std::string>(&Value)) Text = Quote(*String);
        else Text = ReferenceText(Instance, Prop, std::get<TComponent*>(Value));
        Line(Depth, Head + Text);
    }

    static std::string FiniteText(const TComponent& Instance, const TPropInfo& Prop, Extended Number) {
        if (!std::isfinite(Number))
            throw EWriteError("Property " + Prop.Name + " of " + Instance.Name() + " is not a finite number");
        return FloatText(Number);
    }

    std::string ReferenceText(const TComponent& Instance, const TPropInfo& Prop, TComponent* Target) const {
        if (!Target) return std::string(NilWord);
        bool Ambiguous = false;
        if (Target->Name() == NilWord || FNames.Find(Target->Name(), Ambiguous) != Target)
            throw EWriteError("Property " + Prop.Name + " of " + Instance.Name() + ": the component " +
                              (Target->Name().empty() ? "without a name" : Target->Name()) +
                              " it refers to could not be found by name when read back");
        return Target->Name();
    }

    std::vector<TComponent*> FTree;  // declared before FNames, which is built from it
    TReferenceNames FNames;
    std::string FText;
};

// ---- Reader, first pass: the text into a checked tree, nothing created yet ----

[[noreturn]] void Fail(int Line, const std::string& What) {
    throw EReadError("Line " + std::to_string(Line) + ": " + What);
}

struct TValueLine {
    const TPropInfo* Prop;
    TPropValue Value;
    std::string Reference;  // a referenced name, resolved after reading; empty: Value is final
    int Line;
};

struct TObjectNode {
    std::string Name;
    const TClassInfo* Class = nullptr;
    int Line = 0;
    std::vector<TValueLine> Values;
    std::vector<TObjectNode> Children;
};

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
    if (Token.empty() || Token.front() != '"') Fail(Line, "expected a string in double quotes");
    std::string Result;
    std::size_t i = 1;
    for (;;) {
        if (i >= Token.size()) Fail(Line, "the string has no closing quote");
        const char C = Token[i++];
        if (C == '"') break;
        if (static_cast<unsigned char>(C) < 0x20 || C == 0x7F)
            Fail(Line, "a control character in a string must be written as an escape");
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
                if (High < 0 || Low < 0) Fail(Line, "\\x must be followed by two hexadecimal digits");
                Result += static_cast<char>(High * 16 + Low);
                i += 2;
                break;
            }
            default: Fail(Line, "unknown escape in a string");
        }
    }
    if (i != Token.size()) Fail(Line, "unexpected text after the closing quote");
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
    if (!IsFloatToken(Token)) Fail(Line, "expected a number");
    const std::string Text(Token);
    errno = 0;
    const Extended Value = strtold_l(Text.c_str(), nullptr, CLocale);
    if (errno == ERANGE && std::isinf(Value)) Fail(Line, "the number is out of range");
    return Value;
}

int64_t ParseInteger(std::string_view Token, int Line) {
    int64_t Value = 0;
    const auto [End, Error] = std::from_chars(Token.data(), Token.data() + Token.size(), Value);
    if (Error == std::errc::result_out_of_range) Fail(Line, "the integer is out of range");
    if (Error != std::errc() || End != Token.data() + Token.size() || Token.empty())
        Fail(Line, "expected an integer");
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
                Fail(Number, "the line is longer than " + std::to_string(MaxStoredLineLength) + " bytes");
            if (const std::string_view Trimmed = Trim(Raw); !Trimmed.empty())
                FLines.push_back({Trimmed, Number});
        }
        FLastLine = Number;
    }

    TObjectNode ParseRoot() {
        TObjectNode Root = ParseObject(Next(nullptr), 1);
        if (FNext < FLines.size()) Fail(FLines[FNext].Number, "unexpected text after the root object's end");
        return Root;
    }

private:
    const TTextLine& Next(const TObjectNode* Inside) {
        if (FNext >= FLines.size())
            Fail(FLastLine + 1, Inside ? "the text ends inside the object begun on line " +
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
        if (!IsObjectLine(Header.Text)) Fail(Header.Number, "expected an object line");
        if (Depth > MaxStoredDepth)
            Fail(Header.Number, "objects are nested deeper than " + std::to_string(MaxStoredDepth) + " levels");
        TObjectNode Node;
        Node.Line = Header.Number;
        std::string_view S = Header.Text.substr(6);
        SkipBlanks(S);
        Node.Name = TakeWord(S);
        SkipBlanks(S);
        if (S.empty() || S.front() != ':') Fail(Header.Number, "expected 'object Name: Class'");
        S.remove_prefix(1);
        SkipBlanks(S);
        const std::string ClassName(TakeWord(S));
        if (!S.empty() || ClassName.empty()) Fail(Header.Number, "expected 'object Name: Class'");
        if (!Node.Name.empty() && !IsValidIdent(Node.Name))
            Fail(Header.Number, "the name " + Node.Name + " is not a valid identifier");
        Node.Class = FindClass(ClassName);
        if (!Node.Class) Fail(Header.Number, "unknown class " + ClassName);
        if (++FObjectCount > MaxStoredComponents)
            Fail(Header.Number, "more than " + std::to_string(MaxStoredComponents) + " components");
        std::unordered_set<std::string> ChildNames;  // upper-cased
        for (;;) {
            const TTextLine& Line = Next(&Node);
            if (Line.Text == "end") return Node;
            if (IsObjectLine(Line.Text)) {
                TObjectNode Child = ParseObject(Line, Depth + 1);
                if (!Child.Name.empty() && !ChildNames.insert(AnsiUpperCase(Child.Name)).second)
                    Fail(Line.Number, "a component named " + Child.Name + " already exists here");
                Node.Children.push_back(std::move(Child));
            } else {
                if (!Node.Children.empty())
                    Fail(Line.Number, "properties must come before the owned components");
                Node.Values.push_back(ParseProperty(Line, *Node.Class, Node));
            }
        }
    }

    TValueLine ParseProperty(const TTextLine& Line, const TClassInfo& Class, const TObjectNode& Node) {
        std::string_view S = Line.Text;
        const std::string Name(TakeWord(S, true));
        SkipBlanks(S);
        if (!IsPropertyPath(Name) || S.empty() || S.front() != '=')
            Fail(Line.Number, "expected 'Property = value', an object line or end");
        S.remove_prefix(1);
        SkipBlanks(S);
        const TPropInfo* Prop = Class.FindProperty(Name);
        if (!Prop) Fail(Line.Number, "unknown property " + Name + " of " + Class.ClassName);
        if (!Prop->Write) Fail(Line.Number, "the property " + Name + " cannot be set");
        TValueLine Value{Prop, false, {}, Line.Number};
        const auto Expect = [&](bool Good, const char* What) {
            if (!Good) Fail(Line.Number, "expected " + std::string(What) + " for " + Name);
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

    std::vector<std::string> ParseLines(std::string_view Opening, const TTextLine& Line, const TObjectNode& Node) {
        std::vector<std::string> Lines;
        if (Opening == "[]") return Lines;
        if (Opening != "[") Fail(Line.Number, "expected [ to open the lines");
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

// ---- Reader, second pass: components made, properties assigned, all or nothing ----

class TReader {
public:
    explicit TReader(const TComponent* Outer) : FOuter(Outer) {}

    TComponent* ReadNew(const TObjectNode& Node, TComponent* AOwner) {
        return Guarded([&] {
            TComponent* Root = Make(Node, nullptr);
            ReadObject(Node, *Root);
            ResolveReferences();
            if (AOwner) AtLine(Node.Line, [&] { AOwner->InsertComponent(Root); });
            FinishLoading();
            return Root;
        });
    }

    void ReadInto(const TObjectNode& Node, TComponent& Root) {
        if (&Root.ClassInfo() != Node.Class)
            Fail(Node.Line, "the text holds a " + Node.Class->ClassName + ", not a " + Root.ClassName());
        Guarded([&] {
            Begin(Root, Node.Line);
            if (Root.Name() != Node.Name)
                Assign(Root, *TComponent::StaticClassInfo().FindProperty(std::string(NameProperty)), Node.Name,
                       Node.Line);
            ReadObject(Node, Root);
            ResolveReferences();
            FinishLoading();
            return 0;
        });
    }

private:
    struct TUndo {
        TComponent* Instance;
        const TPropInfo* Prop;
        TPropValue Old;
    };
    struct TPending {
        TComponent* Instance;
        const TValueLine* Value;
    };

    // Runs a step of one line: a failure of the component model becomes the line's
    // EReadError.
    template <class F>
    static std::invoke_result_t<F> AtLine(int Line, F Step) {
        try {
            return Step();
        } catch (const Exception& Failure) {
            Fail(Line, Failure.Message());
        }
    }

    template <class F>
    std::invoke_result_t<F> Guarded(F Body) {
        try {
            return Body();
        } catch (...) {
            Rollback();
            throw;
        }
    }

    bool IsMade(const TComponent* Instance) const { return FMadeSet.contains(Instance); }

    void Begin(TComponent& Instance, int Line) {
        FRead.push_back({&Instance, Line});
        if (!(Instance.ComponentState() & csLoading)) {
            Instance.SetComponentState(csLoading);
            FLoadingSetHere.push_back(&Instance);
        }
    }

    TComponent* Make(const TObjectNode& Node, TComponent* Owner) {
        if (!Node.Class->Create) Fail(Node.Line, "the class " + Node.Class->ClassName + " cannot be created");
        TComponent* Instance = AtLine(Node.Line, [&] { return Node.Class->Create(Owner); });
        if (!Instance) Fail(Node.Line, "the class " + Node.Class->ClassName + " made no component");
        FMade.push_back(Instance);
        FMadeSet.insert(Instance);
        Begin(*Instance, Node.Line);
        AtLine(Node.Line, [&] { Instance->SetName(Node.Name); });
        return Instance;
    }

    TComponent& Child(const TObjectNode& Node, TComponent& Owner) {
        TComponent* Existing = Owner.FindComponent(Node.Name);
        if (!Existing) return *Make(Node, &Owner);
        if (IsMade(Existing)) Fail(Node.Line, "a component named " + Node.Name + " already exists here");
        if (&Existing->ClassInfo() != Node.Class)
            Fail(Node.Line, Owner.Name() + " already owns " + Node.Name + " of class " + Existing->ClassName());
        Begin(*Existing, Node.Line);
        return *Existing;
    }

    void ReadObject(const TObjectNode& Node, TComponent& Instance) {
        for (const TValueLine& Value : Node.Values)
            if (Value.Reference.empty()) Assign(Instance, *Value.Prop, Value.Value, Value.Line);
            else FPending.push_back({&Instance, &Value});
        for (const TObjectNode& ChildNode : Node.Children) ReadObject(ChildNode, Child(ChildNode, Instance));
    }

    void Assign(TComponent& Instance, const TPropInfo& Prop, const TPropValue& Value, int Line) {
        if (!IsMade(&Instance)) FUndo.push_back({&Instance, &Prop, AtLine(Line, [&] { return Prop.Read(Instance); })});
        AtLine(Line, [&] { Prop.Write(Instance, Value); });
    }

    void ResolveReferences() {
        std::vector<TComponent*> Tree;
        for (const auto& [Instance, Line] : FRead) Tree.push_back(Instance);
        const TReferenceNames Names(Tree, FOuter);
        for (const TPending& Pending : FPending) {
            const std::string& Name = Pending.Value->Reference;
            bool Ambiguous = false;
            TComponent* Target = Names.Find(Name, Ambiguous);
            if (Ambiguous) Fail(Pending.Value->Line, "more than one component is named " + Name);
            if (!Target) Fail(Pending.Value->Line, "no component named " + Name + " to refer to");
            Assign(*Pending.Instance, *Pending.Value->Prop, Target, Pending.Value->Line);
        }
    }

    void FinishLoading() {
        for (const auto& [Instance, Line] : FRead) {
            Instance->ClearComponentState(csLoading);
            // Captured by name: clang 14 cannot capture a structured binding.
            TComponent* Loading = Instance;
            AtLine(Line, [Loading] { Loading->Loaded(); });
        }
        FLoadingSetHere.clear();
    }

    // Puts back what was assigned to existing components, then frees what was made,
    // newest first so that owned components go before their owners.
    void Rollback() noexcept {
        for (auto It = FUndo.rbegin(); It != FUndo.rend(); ++It) {
            try {
                It->Prop->Write(*It->Instance, It->Old);
            } catch (...) {
                // Best effort: the value was accepted before, a refusal now changes nothing.
            }
        }
        for (TComponent* Instance : FLoadingSetHere)
            if (!IsMade(Instance)) Instance->ClearComponentState(csLoading);
        for (auto It = FMade.rbegin(); It != FMade.rend(); ++It) delete *It;
    }

    const TComponent* FOuter;
    std::vector<TComponent*> FMade;  // in creation order
    std::unordered_set<const TComponent*> FMadeSet;
    std::vector<std::pair<TComponent*, int>> FRead;  // every component read, with its line
    std::vector<TComponent*> FLoadingSetHere;
    std::vector<TUndo> FUndo;
    std::vector<TPending> FPending;
};

std::string WriteComponentText(const TComponent& Root) { return TWriter(Root).Run(Root); }

TComponent* ReadComponentText(const std::string& Text, TComponent* AOwner) {
    const TObjectNode Root = TTextParser(Text).ParseRoot();
    return TReader(AOwner).ReadNew(Root, AOwner);
}

void ReadComponentTextInto(const std::string& Text, TComponent& Root) {
    const TObjectNode Node = TTextParser(Text).ParseRoot();
    TReader(Root.Owner()).ReadInto(Node, Root);
}

}  // namespace rtl
