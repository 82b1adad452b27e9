// The tree builder written as passes over the whole token list, one parenthesised
// group per pass: quadratic, but a literal rendering of the rules, so the engine's
// linear builder is checked against it.
#pragma once

#include "engine/core/TreeBuilder.hpp"

namespace quorix::testing {

// Same contract as core::BuildTree.
core::TTie* BuildTreeByPasses(core::TTieList& Tokens, const core::TBuildRules& Rules);

}  // namespace quorix::testing
