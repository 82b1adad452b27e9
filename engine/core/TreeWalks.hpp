// Read-only walks over a finished tree, shared by both engine flavours. Both work
// with an explicit stack, so a tree as deep as its text is long never exhausts the
// machine stack.
#pragma once

#include <functional>
#include <string>

#include "engine/core/Tie.hpp"

namespace quorix::core {

// Prints the subtree at pNode as normalised text: every operator node is wrapped in
// parentheses except pRoot (the root of the whole expression) when it is not negated;
// arguments are separated by cSeparator and strings enclosed in cDelimiter.
std::string PrintTree(const TTie* pNode, const TTie* pRoot, char cDelimiter, char cSeparator);

// Pre-order walk: a node; then, when Visit returned true for it, the trees of its
// arguments from first to last; then its left and its right subtree.
void WalkPreOrder(const TTie* pNode, const std::function<bool(const TTie&)>& Visit);

}  // namespace quorix::core
