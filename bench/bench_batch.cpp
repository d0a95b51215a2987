// Batches of 8 generated 30-second inputs with "Robot", three ways, alternating
// round by round: `tonara --jobs 1`, `tonara --jobs 2`, and the window's own
// "Process All" (offscreen, with as many runs at once as --jobs 1). Prints each
// round and the ratios of the medians: --jobs 2 against --jobs 1, and the
// window's batch against the same command-line batch.
// Run by hand: ./build/bench/bench_batch [rounds]
#include "gui/ProcessAll.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Inputs = 8;
constexpr int InputSeconds = 30;

double Median(std::vector<double> AValues)
{
    std::sort(AValues.begin(), AValues.end());
    return AValues.empty() ? 0 : AValues[AValues.size() / 2];
}

// Wall time of `tonara --jobs AJobs` over AInputs into a fresh AOut, in ms; -1 on failure.
double CommandLineBatch(const QStringList &AInputs, int AJobs, const QString &AOut)
{
    QDir(AOut).removeRecursively();
    QDir().mkpath(AOut);
    QProcess tonara;
    QElapsedTimer timer;
    timer.start();
    tonara.start(QStringLiteral(TONARA_EXECUTABLE),
                 QStringList{QStringLiteral("--jobs"), QString::number(AJobs), QStringLiteral("--effect"),
                             QStringLiteral("Robot"), QStringLiteral("--output"), AOut}
                     + AInputs);
    if (!tonara.waitForFinished(-1) || tonara.exitCode() != 0)
        return -1;
    return double(timer.elapsed());
}

// Wall time of the window's "Process All" over AInputs into a fresh AOut, in ms.
double WindowBatch(const QStringList &AInputs, const QString &AOut, const QString &AWorkFileBase)
{
    QDir(AOut).removeRecursively();
    QDir().mkpath(AOut);
    QTreeWidget list;
    list.setColumnCount(2);
    for (const QString &input : AInputs)
        new QTreeWidgetItem(&list, {input, QString()});
    QPushButton play(QStringLiteral("Play"));
    TProcessAll batch(&list, &play);
    bool ended = false;
    TProcessAll::SetEndBoxAnswer([&](const QString &) {
        ended = true;
        return false;
    });
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        dialog->findChild<QLineEdit *>(QStringLiteral("FolderEdit"))->setText(AOut);
        dialog->findChild<QSpinBox *>(QStringLiteral("JobsBox"))->setValue(1);
        dialog->accept();
    });
    QElapsedTimer timer;
    timer.start();
    batch.Start(QStringLiteral("Robot"), 10, 2, AWorkFileBase);
    while (!ended)
        QTest::qWait(5);
    return double(timer.elapsed());
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", folder.filePath(QStringLiteral("data")).toUtf8());
    QStringList inputs;
    for (int i = 0; i < Inputs; ++i) {
        const QString path = folder.filePath(QStringLiteral("input %1.wav").arg(i + 1));
        if (QProcess::execute(QStringLiteral("ffmpeg"),
                              {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                               QStringLiteral("lavfi"), QStringLiteral("-i"),
                               QStringLiteral("anoisesrc=d=%1:seed=%2").arg(InputSeconds).arg(i + 1), path})
            != 0) {
            std::fprintf(stderr, "cannot generate the inputs with ffmpeg\n");
            return 1;
        }
        inputs << path;
    }
    const QString out = folder.filePath(QStringLiteral("out"));
    const QString workBase = folder.filePath(QStringLiteral("work.wav"));
    std::vector<double> one, two, window;
    for (int round = 0; round < rounds; ++round) {
        one.push_back(CommandLineBatch(inputs, 1, out));
        two.push_back(CommandLineBatch(inputs, 2, out));
        window.push_back(WindowBatch(inputs, out, workBase));
        std::printf("round %d: --jobs 1 %.0f ms, --jobs 2 %.0f ms, window (1 at once) %.0f ms\n", round + 1,
                    one.back(), two.back(), window.back());
        std::fflush(stdout);
    }
    std::printf("median: --jobs 1 %.0f ms, --jobs 2 %.0f ms, window %.0f ms\n", Median(one), Median(two),
                Median(window));
    std::printf("ratio --jobs 2 / --jobs 1 (median wall time): %.3f (goal on 2 cores: <= 0.6)\n",
                Median(two) / Median(one));
    std::printf("ratio window / --jobs 1 (median wall time): %.3f (goal: <= 1.05)\n", Median(window) / Median(one));
    return 0;
}
