// What every engine of the benchmark shares: the inputs that change between
// evaluations, the expression set and the generated texts for the scale runs.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quorix::bench {

// The inputs of the evaluation runs. Every timed evaluation is followed by a swap of
// a with b and of x with y, so no engine can cache a result.
struct TInputs {
    double a = 1.1, b = 2.2, c = 3.3, x = 2.123456, y = 3.123456, z = 4.123456, w = 5.123456;
    // The same values as the engine's bound inputs read them, swapped alike, in the
    // order of BoundNames; then pi.
    long double Bound[8] = {1.1L,      2.2L,      3.3L,      2.123456L,
                            3.123456L, 4.123456L, 5.123456L, 3.14159265358979323846264338327950288L};
    void Swap();
    // The value of a one-letter input name in either letter case; false for others.
    // Inline, as an application's handler would read its inputs.
    bool Find(char cName, double& rValue) const {
        switch (cName | 0x20) {
            case 'a': rValue = a; return true;
            case 'b': rValue = b; return true;
            case 'c': rValue = c; return true;
            case 'x': rValue = x; return true;
            case 'y': rValue = y; return true;
            case 'z': rValue = z; return true;
            case 'w': rValue = w; return true;
            default: return false;
        }
    }
};
extern TInputs Inputs;

// The names of the bound inputs, in the order of TInputs::Bound.
inline constexpr const char* BoundNames[8] = {"a", "b", "c", "x", "y", "z", "w", "pi"};
// BoundNames but pi: the inputs proper.
inline constexpr std::size_t kInputNames = 7;

// The inputs of the rows runs: a column of kRows values per bound input, in which the
// rows alternate between the inputs and their swapped values.
struct TInputColumns {
    static constexpr std::size_t kRows = 256;
    std::vector<long double> Columns[8];
    TInputColumns();
};

struct TExpression {
    std::string sOurs;  // written for both flavours of the engine
    std::string sPeer;  // the same meaning in the peer's grammar
};
const std::vector<TExpression>& ExpressionSet();

// The generated texts of the scale runs.
enum class TShape { FlatChain, DeepNesting, ManyGroups, ManyCalls };
const char* ShapeName(TShape Shape);
struct TGenerated {
    std::string sText;
    std::size_t iTokens = 0;
};
// A text of Shape with about iTokens tokens; calls are to the function f.
TGenerated Generate(TShape Shape, std::size_t iTokens);

}  // namespace quorix::bench
