// The suites this flavour shares with the other, run on this flavour.
#include "VarsHarness.hpp"
#include "tests/support/HandlerReentrySuite.hpp"
#include "tests/support/HostileTextSuites.hpp"
#include "tests/support/ParseFailureSuites.hpp"
#include "tests/support/SurfaceSuites.hpp"

namespace quorix_test {
INSTANTIATE_TYPED_TEST_SUITE_P(Variables, HandlerReentry, quorix_vars_test::TVarsFlavour);
INSTANTIATE_TYPED_TEST_SUITE_P(Variables, HostileText, quorix_vars_test::TVarsFlavour);
INSTANTIATE_TYPED_TEST_SUITE_P(Variables, LargeInput, quorix_vars_test::TVarsFlavour);
INSTANTIATE_TYPED_TEST_SUITE_P(Variables, ParseFailure, quorix_vars_test::TVarsFlavour);
INSTANTIATE_TYPED_TEST_SUITE_P(Variables, SharedSurface, quorix_vars_test::TVarsFlavour);
}  // namespace quorix_test
