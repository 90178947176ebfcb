// A main window over a simulated adapter, with its message boxes recorded
// instead of shown and helpers to wait for the event loop.
#pragma once

#include "sim/sim_adapter.h"
#include "support/sim_config.h"
#include "ui/main_form.h"
#include "wait_for.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace gang::test {

struct TWindowRig {
    explicit TWindowRig(sim::TSimConfig config = No_Adapter())
        : Sim(config), Form(std::make_unique<TMainForm>(Sim))
    {
        Form->Set_Message_Presenter([this](const TMessage& m) { Messages.push_back(m); });
        Form->Set_Question_Presenter([this](const TMessage& m) {
            Messages.push_back(m);
            return Answer_Yes;
        });
        Form->Set_File_Dialog_Runner([](TFileDialogState&) { return false; });
    }

    // Processes events until done() or the deadline; true when done.
    static bool Wait_For(const std::function<bool()>& done, int deadline_ms = 60000)
    {
        return Wait_Until(done, deadline_ms);
    }

    // Shows the window and waits for the activation sequence to end.
    bool Show_And_Activate()
    {
        Form->show();
        return Wait_For([this] { return Form->Activated(); });
    }

    // A mouse click on a row of a shown list.
    static void Click_Row(QListWidget* list, int row)
    {
        ASSERT_FALSE(list->isHidden()) << list->objectName().toStdString();
        const QRect r = list->visualItemRect(list->item(row));
        ASSERT_TRUE(list->viewport()->rect().contains(r)) << "row " << row << " is clipped";
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }
    QListWidget* List(const char* name) const { return Form->Control_As<QListWidget>(name); }

    // Calls step on every pass of the event loop (a zero timer) while a
    // handler runs; the user's hand during a run.
    void During_Run(std::function<void()> step)
    {
        Hand = std::make_unique<QTimer>();
        QObject::connect(Hand.get(), &QTimer::timeout, std::move(step));
        Hand->start(0);
    }
    void End_Run_Hand() { Hand.reset(); }

    sim::TSimAdapter Sim;
    std::unique_ptr<TMainForm> Form;
    std::vector<TMessage> Messages;
    bool Answer_Yes = false; // the user's answer to every question box
    std::unique_ptr<QTimer> Hand;
};

} // namespace gang::test
