#include "ui/CalculationRunner.h"

#include <QMetaObject>
#include <exception>

namespace vitrimo {

// The host of the work on the worker thread: the stop flag, the progress, and no dialogs (any question
// is declined; the windows ask theirs before the work starts).
class CalculationRunner::WorkerHost : public Host {
public:
    WorkerHost(CalculationRunner& runner, const std::atomic<bool>& stop) : runner_(runner), stop_(stop) {}

    std::optional<std::string> AskText(const Wording&, const Wording&, const std::string&) override {
        return std::nullopt;
    }
    Button Ask(MessageKind, const Wording&, Buttons buttons, int) override {
        return (buttons & ButtonCancel) ? ButtonCancel : (buttons & ButtonNo) ? ButtonNo : ButtonOk;
    }
    bool KeepGoing() override { return !stop_.load(std::memory_order_relaxed); }
    void ReportProgress(int percent) override {
        QMetaObject::invokeMethod(
            &runner_, [runner = &runner_, percent] { emit runner->ProgressChanged(percent); },
            Qt::QueuedConnection);
    }

private:
    CalculationRunner& runner_;
    const std::atomic<bool>& stop_;
};

CalculationRunner::CalculationRunner(QObject* parent)
    : QObject(parent), host_(std::make_unique<WorkerHost>(*this, stop_)) {}

CalculationRunner::~CalculationRunner() {
    StopAndWait();
}

bool CalculationRunner::Launch(QObject* context, std::function<void(Host&)> work,
                               std::function<void()> finish) {
    if (busy_) return false;
    if (thread_.joinable()) thread_.join(); // the last one has ended; its completion is still queued
    stop_ = false;
    busy_ = true;
    const unsigned generation = ++generation_;
    emit BusyChanged(true);
    QPointer<QObject> guard(context);
    thread_ = std::thread([this, guard, generation, work = std::move(work), finish = std::move(finish)] {
        std::string failure;
        try {
            work(*host_);
        } catch (const std::exception& e) {
            failure = e.what();
        } catch (...) {
            failure = "the calculation failed";
        }
        // Back on the user-interface thread: the result goes to the window that asked for it.
        QMetaObject::invokeMethod(
            this,
            [this, guard, generation, finish, failure] { Finished(generation, guard, finish, failure); },
            Qt::QueuedConnection);
    });
    return true;
}

void CalculationRunner::Finished(unsigned generation, QPointer<QObject> context,
                                 const std::function<void()>& finish, const std::string& failure) {
    // A calculation that StopAndWait dropped (and perhaps another one started since) is not this one.
    if (!busy_ || generation != generation_) return;
    if (thread_.joinable()) thread_.join();
    busy_ = false;
    emit BusyChanged(false);
    if (!failure.empty())
        emit Failed(QString::fromStdString(failure));
    else if (context)
        finish();
}

void CalculationRunner::Stop() {
    stop_ = true;
}

void CalculationRunner::StopAndWait() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (busy_) {
        // The completion queued by the thread finds another generation and does nothing.
        ++generation_;
        busy_ = false;
        emit BusyChanged(false);
    }
}

} // namespace vitrimo
