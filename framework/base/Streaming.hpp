// Storing components as text: one property a line, readable and diffable.
//
//   object Calc1: TCalculator
//     Tag = 3
//     Expression = "x * \"two\"\n"
//     Ratio = 0.1
//     Lines = [
//       "first"
//       "second"
//     ]
//     Partner = Calc2
//     object Calc2: TCalculator
//     end
//   end
//
// A component is an `object Name: Class` ... `end` block (`object : Class` when it
// has no name) holding its stored properties and then the components it owns.
// Strings and chars are in double quotes with the escapes \\ \" \n \r \t \xHH;
// booleans are true / false; floats are finite numbers written so that they read
// back to the very same Extended (no inf or nan, either way); a reference to a
// component is its name, or nil.
#pragma once

#include <cstddef>
#include <string>

#include "framework/base/Exceptions.hpp"

namespace rtl {

class TComponent;

// A component that cannot be stored so that it reads back the same: a reference to
// a component that the reader could not find by name, a value that is not a finite
// number, a tree or a line beyond the reader's limits.
class EWriteError : public Exception {
public:
    using Exception::Exception;
};

// The reader's limits; the writer refuses to produce anything beyond them.
inline constexpr int MaxStoredDepth = 64;                      // nested object blocks
inline constexpr int MaxStoredComponents = 10000;              // object blocks in one text
inline constexpr std::size_t MaxStoredLineLength = 16u << 20;  // bytes in one line

// Writes Root, its stored published properties and the components it owns.
// Raises EWriteError for what could not be read back (see above).
std::string WriteComponentText(const TComponent& Root);

// Reads a text written by WriteComponentText into a new component owned by AOwner
// (nullptr: owned by the caller). Properties are assigned in the order they appear,
// references are resolved once everything is read (by name among the components
// read, then among AOwner's), then each component's Loaded() runs; csLoading is set
// until then. Malformed input raises EReadError with the line number and frees
// everything the reader made; AOwner is changed only on success.
TComponent* ReadComponentText(const std::string& Text, TComponent* AOwner = nullptr);

// Reads into an existing root whose class is exactly the text's. An owned component
// that the text names and Root (or a component below it) already owns is read into,
// if of the same class; the others are created. Unknown classes and properties,
// syntax and values are all checked before anything changes. If reading fails
// later (a setter refuses a value, a name clashes, a reference is unresolved,
// Loaded() raises), it raises EReadError after freeing the components it created
// and setting back, in reverse order, every published property it had assigned on
// Root and the existing components; side effects of their setters beyond those
// properties are not undone.
void ReadComponentTextInto(const std::string& Text, TComponent& Root);

class TReader;  // the reader's state; a friend of TComponent

}  // namespace rtl
