#include "Process.h"

#include <QByteArray>
#include <QtGlobal>

#include <csignal>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/resource.h>
#endif

namespace kelvo {

bool runningAsRoot()
{
#ifdef Q_OS_UNIX
    return ::geteuid() == 0;
#else
    return false;
#endif
}

void writeErrorLine(const QString &text)
{
    const QByteArray line = text.toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

void yieldCurrentThreadToOthers()
{
#ifdef Q_OS_LINUX
    // On Linux a thread has a nice value of its own, set through its thread id.
    ::setpriority(PRIO_PROCESS, ::gettid(), 10);
#endif
}

void ignoreFileSizeLimitSignal()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

} // namespace kelvo
