// Storing components as text: one property a line, readable and diffable.
#pragma once

#include <string>

namespace rtl {

class TComponent;

// Writes Root, its published properties and the components it owns.
std::string WriteComponentText(const TComponent& Root);

// Reads a text written by WriteComponentText into a new component owned by AOwner
// (nullptr: owned by the caller). Properties are assigned in the order they appear,
// references are resolved once everything is read, then each component's Loaded()
// runs. Malformed input raises EReadError with the line number and frees everything
// the reader made.
TComponent* ReadComponentText(const std::string& Text, TComponent* AOwner = nullptr);

// Reads into an existing root (its class must match the text's).
void ReadComponentTextInto(const std::string& Text, TComponent& Root);

class TReader;  // the reader's state; a friend of TComponent

}  // namespace rtl
