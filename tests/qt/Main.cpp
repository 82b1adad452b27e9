#include <cstring>
#include <vector>

#include "QtTests.hpp"

namespace quorix_qt_test {

std::map<std::string, TTestFactory>& Registry() {
    static std::map<std::string, TTestFactory> Tests;
    return Tests;
}

bool Register(const char* sName, TTestFactory Factory) {
    Registry().emplace(sName, std::move(Factory));
    return true;
}

}  // namespace quorix_qt_test

// test_qt [CLASS [QTEST ARGUMENT...]]: one test class, or all of them.
int main(int argc, char** argv) {
    QApplication App(argc, argv);
    const auto& Tests = quorix_qt_test::Registry();
    if (argc > 1 && argv[1][0] != '-') {
        const auto Found = Tests.find(argv[1]);
        if (Found == Tests.end()) {
            qCritical("No test class %s", argv[1]);
            return 2;
        }
        std::vector<char*> Arguments{argv[0]};
        Arguments.insert(Arguments.end(), argv + 2, argv + argc);
        const auto Test = Found->second();
        return QTest::qExec(Test.get(), static_cast<int>(Arguments.size()), Arguments.data());
    }
    int iFailed = 0;
    for (const auto& [sName, Make] : Tests) {
        const auto Test = Make();
        iFailed += QTest::qExec(Test.get(), argc, argv);
    }
    return iFailed;
}
