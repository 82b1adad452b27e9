// The suites this flavour shares with the other, run on this flavour.
#include "QuorixFixture.hpp"
#include "tests/support/HandlerReentrySuite.hpp"
#include "tests/support/HostileTextSuites.hpp"
#include "tests/support/ParseFailureSuites.hpp"
#include "tests/support/SurfaceSuites.hpp"

namespace quorix_test {
INSTANTIATE_TYPED_TEST_SUITE_P(Handlers, HandlerReentry, quorix::testing::THandlersFlavour);
INSTANTIATE_TYPED_TEST_SUITE_P(Handlers, HostileText, quorix::testing::THandlersFlavour);
INSTANTIATE_TYPED_TEST_SUITE_P(Handlers, LargeInput, quorix::testing::THandlersFlavour);
INSTANTIATE_TYPED_TEST_SUITE_P(Handlers, ParseFailure, quorix::testing::THandlersFlavour);
INSTANTIATE_TYPED_TEST_SUITE_P(Handlers, SharedSurface, quorix::testing::THandlersFlavour);
}  // namespace quorix_test
