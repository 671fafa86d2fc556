// Runs the program's long calculations on a worker thread, one at a time.
//
// A window prepares a calculation on the user-interface thread (questions about missing values are asked
// before the work starts), hands the work to Start and gets its result back, as a value, on the
// user-interface thread. The work gets a Host whose KeepGoing() turns false once Stop was asked (an
// atomic flag); that host asks no questions. While a calculation runs, Busy() is true and BusyChanged
// tells every window to disable the commands that could change the lens or start another calculation.
// Closing a window or the program stops a running calculation and waits for its thread (StopAndWait).
#pragma once

#include "model/Host.h"

#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace vitrimo {

class CalculationRunner : public QObject {
    Q_OBJECT
public:
    explicit CalculationRunner(QObject* parent = nullptr);
    ~CalculationRunner() override; // stops a running calculation and waits for it

    // Starts `work` on the worker thread. When it returns, `done` runs on the user-interface thread with
    // its result, unless `context` was destroyed meanwhile. Returns false, and runs nothing, while another
    // calculation is running.
    template <class Result>
    bool Start(QObject* context, std::function<Result(Host&)> work, std::function<void(Result)> done) {
        auto result = std::make_shared<std::optional<Result>>();
        return Launch(
            context, [work = std::move(work), result](Host& host) { result->emplace(work(host)); },
            [done = std::move(done), result] {
                if (*result) done(std::move(**result));
            });
    }

    bool Busy() const { return busy_; }
    // Asks the running calculation to stop; it ends at its next KeepGoing().
    void Stop();
    // Stops the running calculation and waits until its thread has ended; its result is dropped.
    void StopAndWait();

signals:
    void BusyChanged(bool busy);
    // 0 ... 100, from the work's ReportProgress.
    void ProgressChanged(int percent);
    // The work threw: what it said.
    void Failed(const QString& message);

private:
    class WorkerHost;

    bool Launch(QObject* context, std::function<void(Host&)> work, std::function<void()> finish);
    void Finished(unsigned generation, QPointer<QObject> context, const std::function<void()>& finish,
                  const std::string& failure);

    std::unique_ptr<WorkerHost> host_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    bool busy_ = false;
    unsigned generation_ = 0; // of the calculation running or last run
};

} // namespace vitrimo
