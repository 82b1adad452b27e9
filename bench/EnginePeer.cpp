#include <muParser.h>

#include "bench/Engines.hpp"
#include "bench/Inputs.hpp"

namespace quorix::bench {

namespace {

class TPeer final : public TEngine {
public:
    TPeer() {
        FParser.DefineVar("a", &Inputs.a);
        FParser.DefineVar("b", &Inputs.b);
        FParser.DefineVar("c", &Inputs.c);
        FParser.DefineVar("x", &Inputs.x);
        FParser.DefineVar("y", &Inputs.y);
        FParser.DefineVar("z", &Inputs.z);
        FParser.DefineVar("w", &Inputs.w);
        FParser.DefineConst("pi", 3.14159265358979323846);
    }
    bool Parse(const std::string& sText) override {
        try {
            FParser.SetExpr(sText);
            FParser.Eval();  // the peer parses on its first evaluation
            return true;
        } catch (const mu::Parser::exception_type&) {
            return false;
        }
    }
    bool Evaluate(double& rValue) override {
        rValue = FParser.Eval();
        return true;
    }

private:
    mu::Parser FParser;
};

}  // namespace

std::unique_ptr<TEngine> MakePeer() { return std::make_unique<TPeer>(); }

}  // namespace quorix::bench
