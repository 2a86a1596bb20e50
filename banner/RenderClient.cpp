#include "banner/RenderClient.h"

#include "util/Module.h"

#include <QProcessEnvironment>

#include <algorithm>
#include <cstring>

namespace banner {

util::Seam<RenderCommand()> RenderCommandSeam{[] {
    return RenderCommand{QString::fromStdString(util::ExecutableFolder()) + QLatin1Char('/') +
                             QLatin1String(RenderProgramName),
                         {}};
}};

util::Seam<std::chrono::steady_clock::time_point()> RenderClockSeam{[] { return std::chrono::steady_clock::now(); }};

RenderClient::RenderClient(QObject* parent) : QObject(parent)
{
    deadlineTimer.setSingleShot(true);
    connect(&deadlineTimer, &QTimer::timeout, this, &RenderClient::checkDeadline);
}

RenderClient::~RenderClient()
{
    // Closing while a child works: it is killed and reaped here, which takes no
    // longer than the kernel needs to end a killed process.
    if (child)
        dying.push_back(child);
    for (QProcess* process : dying) {
        process->disconnect(this);
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(5000);
        }
        delete process;
    }
}

void RenderClient::start()
{
    const RenderCommand command = RenderCommandSeam();
    auto* process = new QProcess(this);
    process->setProgram(command.program);
    process->setArguments(command.arguments);
    process->setStandardErrorFile(QProcess::nullDevice());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // One heap arena: fewer reservations of address space under the child's limit.
    environment.insert(QStringLiteral("MALLOC_ARENA_MAX"), QStringLiteral("1"));
    process->setProcessEnvironment(environment);
    connect(process, &QProcess::readyReadStandardOutput, this, [this, process] {
        if (process == child)
            readAnswer();
        else
            process->readAll(); // a retired child's last words
    });
    connect(process, &QProcess::finished, this, [this, process] { childEnded(process); });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            childEnded(process);
    });
    child = process;
    served = 0;
    ready = false;
    readyHave = 0;
    process->start(QIODevice::ReadWrite);
}

void RenderClient::render(const RenderRequest& request)
{
    if (working) {
        // The item under way is no longer wanted, whatever state its child is in.
        retire(child, true);
        child = nullptr;
        working = false;
    }
    if (child && served >= ItemsPerChild) {
        retire(child, true);
        child = nullptr;
    }
    if (!child)
        start();
    if (!child) {
        fail();
        return;
    }
    ++generation;
    ++served;
    reader.reset();
    working = true;
    setDeadline(ready ? itemDeadline : StartupDeadline);
    // Buffered by QProcess and written as the pipe takes it.
    child->write(EncodeRequest(request));
}

void RenderClient::restart()
{
    if (working) {
        fail();
        return;
    }
    retire(child, true);
    child = nullptr;
}

void RenderClient::setDeadline(std::chrono::milliseconds after)
{
    deadlineAt = RenderClockSeam() + after;
    deadlineTimer.start(after);
}

void RenderClient::checkDeadline()
{
    if (!working)
        return;
    const auto now = RenderClockSeam();
    if (now >= deadlineAt) {
        fail();
        return;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadlineAt - now);
    deadlineTimer.start(std::min(left, std::chrono::milliseconds(StartupDeadline)));
}

void RenderClient::readAnswer()
{
    char buffer[64 * 1024];
    // A bounded share per turn of the event loop; the rest waits for the next turn.
    std::size_t share = ReadPerTurn;
    while (child && child->bytesAvailable() > 0) {
        if (share == 0) {
            if (!readQueued) {
                readQueued = true;
                QMetaObject::invokeMethod(
                    this, [this] {
                        readQueued = false;
                        readAnswer();
                    },
                    Qt::QueuedConnection);
            }
            return;
        }
        if (!ready) {
            const qint64 n = child->read(buffer, static_cast<qint64>(4 - readyHave));
            if (n <= 0)
                return;
            if (std::memcmp(buffer, ReadyKind + readyHave, static_cast<std::size_t>(n)) != 0) {
                working ? fail() : restart();
                return;
            }
            readyHave += static_cast<std::size_t>(n);
            ready = readyHave == 4;
            if (ready && working)
                setDeadline(itemDeadline); // the item's own time starts now
            continue;
        }
        if (!working) {
            restart(); // an answer nobody asked for
            return;
        }
        const qint64 n = child->read(buffer, static_cast<qint64>(std::min(sizeof buffer, std::max<std::size_t>(reader.wanted(), 1))));
        if (n <= 0)
            return;
        share -= std::min(share, static_cast<std::size_t>(n));
        const std::size_t taken = reader.feed(buffer, static_cast<std::size_t>(n));
        if (reader.state() == AnswerReader::State::More)
            continue;
        std::optional<Rendering> answer = reader.take();
        if (!answer || taken != static_cast<std::size_t>(n) || child->bytesAvailable() > 0) {
            fail();
            return;
        }
        working = false;
        deadlineTimer.stop();
        emit rendered(*answer);
        return;
    }
}

void RenderClient::fail()
{
    if (child)
        retire(child, true);
    child = nullptr;
    working = false;
    deadlineTimer.stop();
    // Told from the event loop, never from inside render(); a newer request makes it moot.
    QMetaObject::invokeMethod(
        this, [this, failedGeneration = generation] {
            if (failedGeneration == generation && !working)
                emit failed();
        },
        Qt::QueuedConnection);
}

void RenderClient::retire(QProcess* process, bool kill)
{
    if (!process)
        return;
    if (process->state() == QProcess::NotRunning) {
        process->disconnect(this);
        process->deleteLater();
        return;
    }
    dying.push_back(process);
    if (kill)
        process->kill();
}

void RenderClient::childEnded(QProcess* process)
{
    if (process == child) {
        // Ended on its own: a crash, or it refused the request.
        child = nullptr;
        if (working)
            fail();
    }
    dying.erase(std::remove(dying.begin(), dying.end(), process), dying.end());
    process->disconnect(this);
    process->deleteLater();
}

int RenderClient::livingChildren() const
{
    return static_cast<int>(dying.size()) + (child ? 1 : 0);
}

} // namespace banner
