// What the Qt binding's tests share: registration of test classes with the one test
// program, and a window in which widgets get the focus as a user's would.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

namespace quorix_qt_test {

using TTestFactory = std::function<std::unique_ptr<QObject>()>;
std::map<std::string, TTestFactory>& Registry();
bool Register(const char* sName, TTestFactory Factory);

// A shown, active window with a plain line edit to move the focus to.
class TWindow : public QWidget {
public:
    TWindow() : Layout(new QVBoxLayout(this)), Other(new QLineEdit(this)) { Layout->addWidget(Other); }

    template <class TWidget>
    TWidget* add(TWidget* Widget) {
        Layout->insertWidget(Layout->count() - 1, Widget);
        Widget->show();
        return Widget;
    }
    bool showActive() {
        show();
        activateWindow();
        return QTest::qWaitForWindowActive(this);
    }
    void focus(QWidget* Widget) { Widget->setFocus(Qt::TabFocusReason); }
    void leave() { Other->setFocus(Qt::TabFocusReason); }

    QVBoxLayout* Layout;
    QLineEdit* Other;
};

}  // namespace quorix_qt_test

#define QUORIX_QT_TEST(Class)             \
    static const bool Class##Registered = \
        quorix_qt_test::Register(#Class, [] { return std::make_unique<Class>(); })
