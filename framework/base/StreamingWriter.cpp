// The component writer: a tree of components as stored text (see Streaming.hpp).
#include <charconv>
#include <cmath>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "framework/base/Component.hpp"
#include "framework/base/Properties.hpp"
#include "framework/base/Streaming.hpp"
#include "framework/base/StreamingNames.hpp"

namespace rtl {

namespace {

using streaming::NameProperty;
using streaming::NilWord;

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
        else if (const auto* Number = std::get_if<Extended>(&Value))
            Text = FiniteText(Instance, Prop, *Number);
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
    streaming::TReferenceNames FNames;
    std::string FText;
};

}  // namespace

std::string WriteComponentText(const TComponent& Root) { return TWriter(Root).Run(Root); }

}  // namespace rtl
