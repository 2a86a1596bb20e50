#pragma once

// The window's side of the render child: starts it (beside the executable), hands
// it one request at a time, reads its answer as it arrives without ever waiting on
// it, and kills it when it overruns its deadline, crashes, or answers out of bounds.
// A child that worked is kept for the next item.

#include "banner/RenderAnswer.h"
#include "util/Seam.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace banner {

struct RenderCommand {
    QString program;
    QStringList arguments;
};

inline constexpr const char* RenderProgramName = "byteloom_banner_render";

// How the child is started: the program beside the executable, unless replaced.
extern util::Seam<RenderCommand()> RenderCommandSeam;
// The clock the deadline is read from.
extern util::Seam<std::chrono::steady_clock::time_point()> RenderClockSeam;

class RenderClient final : public QObject {
    Q_OBJECT
public:
    // From the request's arrival in a ready child to the whole answer read. A child
    // that spins is ended sooner by its own processor-time limit; this bounds the rest
    // (a child that sleeps or is starved on a busy machine).
    static constexpr std::chrono::milliseconds Deadline{5000};
    // For a new child to start, bind itself and say it is ready: long, since it has
    // read no item yet and a busy machine may slow it.
    static constexpr std::chrono::milliseconds StartupDeadline{30000};
    // A child serves this many items, then the next item gets a fresh one.
    static constexpr int ItemsPerChild = 200;
    // What one turn of the event loop reads of an answer, so that the window's other
    // events come between the pieces of a large picture.
    static constexpr std::size_t ReadPerTurn = 256 * 1024;

    explicit RenderClient(QObject* parent = nullptr);
    ~RenderClient() override;

    // Sends the request to the child; an earlier one still under way is dropped
    // (its child killed). Never waits: the answer comes as rendered() or failed().
    void render(const RenderRequest& request);
    bool busy() const { return working; }
    // Replaces Deadline for the items to come (the benchmark's many items want a short one).
    void setItemDeadline(std::chrono::milliseconds deadline) { itemDeadline = deadline; }
    // The current child has bound itself and said so.
    bool childReady() const { return child && ready; }
    // Kills the child, idle or working (its item then fails); the next request starts
    // a new one, through the command seam as it is then.
    void restart();

    // Kills the child when the deadline, read from the clock seam, has passed; the
    // deadline's timer calls it, and tests may too.
    void checkDeadline();

    // Children started and not yet reaped, for tests and the soak.
    int livingChildren() const;
    // The current child's process, or 0.
    qint64 childProcessId() const { return child ? child->processId() : 0; }

signals:
    void rendered(const banner::Rendering& rendering);
    void failed();

private:
    void start();
    void readAnswer();
    void fail();
    void setDeadline(std::chrono::milliseconds after);
    void retire(QProcess* process, bool kill);
    void childEnded(QProcess* process);

    QProcess* child = nullptr;     // the current child, idle or working
    std::vector<QProcess*> dying;  // killed or ended, waiting to be reaped
    AnswerReader reader;
    bool ready = false;            // the current child said it is ready
    std::size_t readyHave = 0;     // bytes of that word read so far
    bool working = false;
    bool readQueued = false;
    std::chrono::milliseconds itemDeadline = Deadline;       // a later turn will go on reading
    int served = 0;
    std::uint64_t generation = 0; // of the request under way
    std::chrono::steady_clock::time_point deadlineAt;
    QTimer deadlineTimer;
};

} // namespace banner
