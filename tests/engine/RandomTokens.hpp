// Random token lists for the differential tests: expressions (nested, with prefix
// minuses, names and numbers, some of them mutated) and plain random token sequences.
// Names are "f" (a signed name) and "u"; numbers are drawn from a few telling values.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace quorix::testing {

// One token as drawn, before it is made into a node.
struct TDraw {
    std::string sName;
    long double rValue = 0;
    bool bNumber = false;
};

class TRandomTokens {
public:
    explicit TRandomTokens(uint64_t iSeed) : FRandom(iSeed) {}

    // A token list: half of them an expression, perhaps mutated, half random tokens.
    std::vector<TDraw> Next() {
        std::vector<TDraw> Draws;
        if (Chance(2)) {
            Expression(Draws, 0);
            for (int k = Pick(4); k > 0 && Chance(2); --k) Mutate(Draws);
        } else {
            for (int n = Pick(14); n > 0; --n) Draws.push_back(AnyToken());
        }
        return Draws;
    }

    // A well-formed expression.
    std::vector<TDraw> NextExpression() {
        std::vector<TDraw> Draws;
        Expression(Draws, 0);
        return Draws;
    }

    int Pick(int n) { return static_cast<int>(FRandom() % static_cast<uint64_t>(n)); }
    bool Chance(int n) { return Pick(n) == 0; }

private:
    TDraw Number() {
        static const long double Values[] = {0, 1, 2, 3, 0.5L, 10, 1e3000L};
        const long double r = Values[Pick(7)];
        return {"n", r, true};
    }
    TDraw Name() { return {Chance(4) ? "u" : "f", 0, false}; }
    TDraw Char(char c) { return {std::string(1, c), 0, false}; }
    TDraw AnyToken() {
        switch (Pick(6)) {
            case 0: return Number();
            case 1: return Name();
            case 2: return Char("()"[Pick(2)]);
            default: return Char("+-*/^"[Pick(5)]);
        }
    }

    void Operand(std::vector<TDraw>& Draws, int iDepth) {
        for (int k = Chance(4) ? 1 + Pick(3) : 0; k > 0; --k) Draws.push_back(Char('-'));
        if (iDepth < 6 && Chance(3)) {
            Draws.push_back(Char('('));
            Expression(Draws, iDepth + 1);
            Draws.push_back(Char(')'));
        } else {
            Draws.push_back(Chance(4) ? Name() : Number());
        }
    }
    void Expression(std::vector<TDraw>& Draws, int iDepth) {
        Operand(Draws, iDepth);
        for (int n = Pick(5); n > 0; --n) {
            Draws.push_back(Char("+-*/^"[Pick(5)]));
            Operand(Draws, iDepth);
        }
    }
    void Mutate(std::vector<TDraw>& Draws) {
        const std::size_t i =
            Draws.empty() ? 0 : static_cast<std::size_t>(Pick(static_cast<int>(Draws.size())));
        switch (Pick(3)) {
            case 0:
                if (!Draws.empty()) Draws.erase(Draws.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            case 1: Draws.insert(Draws.begin() + static_cast<std::ptrdiff_t>(i), AnyToken()); break;
            default:
                if (!Draws.empty()) Draws[i] = AnyToken();
                break;
        }
    }

    std::mt19937_64 FRandom;
};

// How many inputs a differential test tries: QUORIX_DIFFERENTIAL_COUNT, else iDefault.
inline uint64_t CountFromEnvironment(uint64_t iDefault) {
    const char* s = std::getenv("QUORIX_DIFFERENTIAL_COUNT");
    return s && *s ? std::strtoull(s, nullptr, 10) : iDefault;
}

}  // namespace quorix::testing
