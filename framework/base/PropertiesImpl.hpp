// Template part of Properties.hpp: MakeProperty.
#pragma once

#include <cmath>
#include <string>
#include <type_traits>
#include <utility>

#include "framework/base/Exceptions.hpp"
#include "framework/base/StringList.hpp"

namespace rtl::detail {

template <class T>
inline constexpr bool IsComponentPointer =
    std::is_pointer_v<T>&& std::is_base_of_v<TComponent, std::remove_cv_t<std::remove_pointer_t<T>>>;
template <class T>
inline constexpr bool IsStringsPointer =
    std::is_pointer_v<T>&& std::is_base_of_v<TStrings, std::remove_cv_t<std::remove_pointer_t<T>>>;
template <class>
inline constexpr bool AlwaysFalse = false;

// The kind of a property whose getter returns V (cv and reference removed).
template <class V>
constexpr TTypeKind KindOf() {
    if constexpr (std::is_same_v<V, bool>) return TTypeKind::Boolean;
    else if constexpr (std::is_same_v<V, char>) return TTypeKind::Char;
    else if constexpr (std::is_integral_v<V>) {
        static_assert(sizeof(V) < sizeof(int64_t) || std::is_signed_v<V>,
                      "a 64-bit unsigned property does not fit the stored integer");
        return TTypeKind::Integer;
    } else if constexpr (std::is_floating_point_v<V>) return TTypeKind::Float;
    else if constexpr (std::is_same_v<V, std::string>) return TTypeKind::String;
    else if constexpr (IsStringsPointer<V>) return TTypeKind::StringList;
    else if constexpr (IsComponentPointer<V>) return TTypeKind::Component;
    else static_assert(AlwaysFalse<V>, "unsupported property type");
}

// The stored form of a getter's value.
template <class V>
TPropValue ToPropValue(const V& Value) {
    constexpr TTypeKind Kind = KindOf<V>();
    if constexpr (Kind == TTypeKind::Boolean) return TPropValue(std::in_place_type<bool>, Value);
    else if constexpr (Kind == TTypeKind::Char) return TPropValue(std::in_place_type<char>, Value);
    else if constexpr (Kind == TTypeKind::Integer)
        return TPropValue(std::in_place_type<int64_t>, static_cast<int64_t>(Value));
    else if constexpr (Kind == TTypeKind::Float)
        return TPropValue(std::in_place_type<Extended>, static_cast<Extended>(Value));
    else if constexpr (Kind == TTypeKind::String) return TPropValue(std::in_place_type<std::string>, Value);
    else if constexpr (Kind == TTypeKind::StringList) {
        std::vector<std::string> Lines;
        if (Value)
            for (int i = 0; i < Value->Count(); ++i) Lines.push_back(Value->Strings(i));
        return TPropValue(std::in_place_type<std::vector<std::string>>, std::move(Lines));
    } else
        return TPropValue(std::in_place_type<TComponent*>,
                          const_cast<TComponent*>(static_cast<const TComponent*>(Value)));
}

// A declared default, given in any type that converts to the property's.
template <class V, class D>
TPropValue DefaultValue(const D& Default) {
    constexpr TTypeKind Kind = KindOf<V>();
    if constexpr (Kind == TTypeKind::StringList)
        return TPropValue(std::in_place_type<std::vector<std::string>>, Default);
    else if constexpr (Kind == TTypeKind::Component) {
        static_assert(std::is_null_pointer_v<D>, "a component reference defaults to nullptr");
        return TPropValue(std::in_place_type<TComponent*>, nullptr);
    } else if constexpr (Kind == TTypeKind::String)
        return TPropValue(std::in_place_type<std::string>, Default);
    else return ToPropValue<V>(static_cast<V>(Default));
}

[[noreturn]] void RaisePropertyError(const std::string& sProp, const std::string& sWhat);

template <class T>
const T& Expect(const TPropValue& Value, const std::string& sProp) {
    const T* Held = std::get_if<T>(&Value);
    if (!Held) RaisePropertyError(sProp, "value of the wrong type");
    return *Held;
}

// Calls the setter with the stored value, checking that it fits the setter's type.
template <class C, class S>
void WriteValue(C& Instance, void (C::*Setter)(S), const TPropValue& Value, const std::string& sProp) {
    using V = std::remove_cvref_t<S>;
    constexpr TTypeKind Kind = KindOf<V>();
    if constexpr (Kind == TTypeKind::Boolean) (Instance.*Setter)(Expect<bool>(Value, sProp));
    else if constexpr (Kind == TTypeKind::Char) (Instance.*Setter)(Expect<char>(Value, sProp));
    else if constexpr (Kind == TTypeKind::Integer) {
        const int64_t Number = Expect<int64_t>(Value, sProp);
        if (!std::in_range<V>(Number)) RaisePropertyError(sProp, std::to_string(Number) + " is out of range");
        (Instance.*Setter)(static_cast<V>(Number));
    } else if constexpr (Kind == TTypeKind::Float) {
        const Extended Number = Expect<Extended>(Value, sProp);
        const V Narrowed = static_cast<V>(Number);
        if (std::isfinite(Number) && !std::isfinite(Narrowed))
            RaisePropertyError(sProp, "value is out of range");
        (Instance.*Setter)(Narrowed);
    } else if constexpr (Kind == TTypeKind::String) (Instance.*Setter)(Expect<std::string>(Value, sProp));
    else if constexpr (Kind == TTypeKind::StringList) {
        TStringList Lines;
        for (const std::string& Line : Expect<std::vector<std::string>>(Value, sProp)) Lines.Add(Line);
        (Instance.*Setter)(&Lines);
    } else {
        TComponent* Target = Expect<TComponent*>(Value, sProp);
        auto* Typed = dynamic_cast<std::remove_pointer_t<V>*>(Target);
        if (Target && !Typed)
            RaisePropertyError(sProp, Target->ClassName() + " is not of the referenced class");
        (Instance.*Setter)(Typed);
    }
}

template <class C>
C& InstanceOf(TComponent& Instance, const std::string& sProp) {
    C* Typed = dynamic_cast<C*>(&Instance);
    if (!Typed) RaisePropertyError(sProp, Instance.ClassName() + " does not have this property");
    return *Typed;
}

}  // namespace rtl::detail

namespace rtl {

template <class C, class G, class S>
TPropInfo MakeProperty(const std::string& sName, G (C::*Getter)() const, void (C::*Setter)(S)) {
    static_assert(std::is_base_of_v<TComponent, C>, "properties belong to components");
    using V = std::remove_cvref_t<G>;
    static_assert(detail::KindOf<V>() == detail::KindOf<std::remove_cvref_t<S>>(),
                  "getter and setter disagree on the property's kind");
    TPropInfo Info;
    Info.Name = sName;
    Info.Kind = detail::KindOf<V>();
    Info.Read = [sName, Getter](const TComponent& Instance) {
        return detail::ToPropValue<V>(
            (detail::InstanceOf<C>(const_cast<TComponent&>(Instance), sName).*Getter)());
    };
    Info.Write = [sName, Setter](TComponent& Instance, const TPropValue& Value) {
        detail::WriteValue(detail::InstanceOf<C>(Instance, sName), Setter, Value, sName);
    };
    return Info;
}

template <class C, class G, class S, class D>
TPropInfo MakeProperty(const std::string& sName, G (C::*Getter)() const, void (C::*Setter)(S), D Default) {
    TPropInfo Info = MakeProperty(sName, Getter, Setter);
    Info.Default = detail::DefaultValue<std::remove_cvref_t<G>>(Default);
    return Info;
}

}  // namespace rtl
