#include "bench/Inputs.hpp"

#include <algorithm>
#include <utility>

namespace quorix::bench {

TInputs Inputs;

void TInputs::Swap() {
    std::swap(a, b);
    std::swap(x, y);
    std::swap(Bound[0], Bound[1]);
    std::swap(Bound[3], Bound[4]);
}

TInputColumns::TInputColumns() {
    TInputs Row;
    for (std::size_t i = 0; i < kRows; ++i) {
        for (std::size_t k = 0; k < 8; ++k) Columns[k].push_back(Row.Bound[k]);
        Row.Swap();
    }
}

const std::vector<TExpression>& ExpressionSet() {
    // The engine reads a blank before a name as part of the name, so its texts are
    // written without blanks; the peer gets them as published. Pi is a built-in of
    // the first flavour and a variable of the second.
    static const std::vector<TExpression> Set = [] {
        const std::vector<std::string> Published = {
            "a+1",
            "2*a+1",
            "(2*a+1)*3",
            "1.1*a^2 + 2.2*b^3 + 3.3*c^4",
            "1.1*a^2.01 + 2.2*b^3.01 + 3.3*c^4.01",
            "(((((((7*a+6)*a+5)*a+4)*a+3)*a+2)*a+1)*a+0.1)",
            "7*a^7+6*a^6+5*a^5+4*a^4+3*a^3+2*a^2+1*a^1+0.1",
            "a/((a+b)*(a-b))/b",
            "1-((a*b)+(a/b))-3",
            "-(b^1.1)",
            "-a+-b",
            "-a*-b",
            "a/-b",
            "(5.5+a)+(2*a-2/3*b)*(a/3+b/4)+(c+7.7)",
            "((((a)-(b))+((c)-(x)))/(((y)-(z))+((w)-(a))))*((((b)-(c))+((x)-(y)))/(((z)-(w))+((a)-(b))))",
            "sin((1+2/2*3)*4^5)+cos(6*pi)",
            "(a^2 / sin(2 * pi / b)) -a / 2",
            "a+(cos(b-sin(2/a*pi))-sin(a-cos(2*b/pi)))-b",
            "(0.1*a+1)*a+1.1-sin(a)-log10(a)/a*3/4",
            "hypot(a;b)",
        };
        std::vector<TExpression> Result;
        for (const std::string& sText : Published) {
            TExpression Expression;
            Expression.sOurs = sText;
            Expression.sOurs.erase(std::remove(Expression.sOurs.begin(), Expression.sOurs.end(), ' '),
                                   Expression.sOurs.end());
            Expression.sPeer = sText == "hypot(a;b)" ? "sqrt(a^2+b^2)" : sText;
            Result.push_back(Expression);
        }
        return Result;
    }();
    return Set;
}

const char* ShapeName(TShape Shape) {
    switch (Shape) {
        case TShape::FlatChain: return "flat chain";
        case TShape::DeepNesting: return "deep nesting";
        case TShape::ManyGroups: return "many groups";
        case TShape::ManyCalls: return "many calls";
    }
    return "";
}

TGenerated Generate(TShape Shape, std::size_t iTokens) {
    static const char Operators[] = "+*-/";
    TGenerated Text;
    std::string& s = Text.sText;
    std::size_t& n = Text.iTokens;
    std::size_t k = 0;  // counts operands, to vary numbers and operators
    const auto Number = [&] {
        s += std::to_string(k % 9 + 1);
        ++n;
    };
    const auto Operator = [&] {
        s += Operators[k++ % 4];
        ++n;
    };
    switch (Shape) {
        case TShape::FlatChain:  // 1+2*3-4/5+...
            Number();
            while (n + 2 <= iTokens) {
                Operator();
                Number();
            }
            break;
        case TShape::DeepNesting: {  // ((((1+2)*3)-4)/5)...
            const std::size_t iDepth = (iTokens - 1) / 4;
            s.append(iDepth, '(');
            n += iDepth;
            Number();
            for (std::size_t i = 0; i < iDepth; ++i) {
                Operator();
                Number();
                s += ')';
                ++n;
            }
            break;
        }
        case TShape::ManyGroups:  // (1+2)*(3+4)+...
            while (n + 6 <= iTokens) {
                if (n > 0) Operator();
                s += '(';
                Number();
                Operator();
                Number();
                s += ')';
                n += 2;
            }
            break;
        case TShape::ManyCalls:  // f(1;2+3)*f(4;5+6)+...: the name, its arguments' tokens
            while (n + 6 <= iTokens) {
                if (n > 0) Operator();
                s += "f(";
                ++n;
                Number();
                s += ';';
                Number();
                s += '+';
                ++n;
                Number();
                s += ')';
            }
            break;
    }
    return Text;
}

}  // namespace quorix::bench
