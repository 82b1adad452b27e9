// How a widget hears from the headless control it drives: the control's commit step
// and its text changes are reported to a listener, so that changes that do not come
// from the widget (a data-change delivery, a parser that goes away) still show.
#pragma once

#include "edits/CustomParserEdit.hpp"
#include "framework/base/Component.hpp"

namespace quorix::qt {

class TEditListener {
public:
    // Runs before the commit step; false skips it (there is nothing to commit).
    virtual bool BeforeSave() = 0;
    // Runs after it; bCompleted is false when the step raised.
    virtual void AfterSave(bool bCompleted) = 0;
    virtual void TextChanged() = 0;

protected:
    ~TEditListener() = default;
};

// The widget's handle on its control, whatever the control's class.
class TEditAccess {
public:
    virtual ~TEditAccess() = default;
    virtual TCustomParserEdit& Control() = 0;
    // Renders Value with the pattern for the present focus state, as Escape does.
    virtual void ShowValue() = 0;
};

template <class TEdit>
class TListenedEdit final : public TEdit, public TEditAccess {
public:
    TListenedEdit(rtl::TComponent* AOwner, TEditListener& Listener) : TEdit(AOwner), FListener(Listener) {}

    TCustomParserEdit& Control() override { return *this; }
    void ShowValue() override { this->UpdateText(); }

protected:
    void DoSave() override {
        if (!FListener.BeforeSave()) return;
        try {
            TEdit::DoSave();
        } catch (...) {
            FListener.AfterSave(false);
            throw;
        }
        FListener.AfterSave(true);
    }
    void Change() override {
        TEdit::Change();
        FListener.TextChanged();
    }

private:
    TEditListener& FListener;
};

}  // namespace quorix::qt
