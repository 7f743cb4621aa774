// The X server going away in the middle of the drawing.
//
// The program runs on an X server of the test's own, without a window manager; the test
// lets it draw in short slices (ProcessFreezer) until its window shows part of the
// picture, and ends the server while the program stands still.
#include <gtest/gtest.h>

#include <QProcess>
#include <QThread>
#include <string>

#include "OwnXServer.h"
#include "ProcessControl.h"
#include "TestDiagram.h"
#include "XConnection.h"
#include "XSession.h"

namespace voroquarn::testing {
namespace {

// The X server going away in the middle of the drawing ends the program with one line
// on standard error and the status the manual gives for a lost window system, 1: it
// neither hangs, nor spins, nor dies of a signal.
class XServerLoss : public ::testing::Test {
protected:
    // Starts the server and the program, and stops the program once its window shows
    // the given part of the picture.
    void startAndDraw(double part)
    {
        ASSERT_EQ(diagram_.problem(), "");
        ASSERT_FALSE(server_.display().isEmpty()) << "Xvfb did not start";
        program_ = std::make_unique<ProgramRun>(diagram_.arguments(), RunPlace{server_.display(), true, {}});
        freezer_ = std::make_unique<ProcessFreezer>(program_->pid());
        const XConnection x(server_.display());
        ASSERT_TRUE(x.isOpen());
        QString window;
        double progress = 0;
        const bool reached = freezer_->runInSlicesUntil(
            [&] {
                if (window.isEmpty()) {
                    window = XSession::windowOf(program_->pid(), server_.display()).value_or(QString());
                }
                progress = window.isEmpty() ? 0.0 : diagram_.progress(x.grab(window.toUInt()));
                return progress >= part;
            },
            60000);
        ASSERT_TRUE(reached) << "the window never showed part of the picture";
        ASSERT_LT(progress, 1.0) << "the drawing was over before the test could act";
    }

    void expectEndWithAMessage(const char* when)
    {
        ASSERT_TRUE(program_->process().waitForFinished(10000)) << "the program did not end";
        const QString errors = program_->errors();
        const QStringList lines = errors.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(program_->process().exitStatus(), QProcess::NormalExit)
            << "the program died of signal " << program_->process().exitCode()
            << "; standard error: " << errors.toStdString();
        std::printf("X server lost %s: status %d; standard error: %s\n", when,
                    program_->process().exitCode(), errors.trimmed().toLocal8Bit().constData());
        EXPECT_EQ(program_->process().exitCode(), 1);
        ASSERT_EQ(lines.size(), 1) << errors.toStdString();
        EXPECT_TRUE(lines[0].startsWith("voroquarn: ")) << lines[0].toStdString();
    }

    const TestDiagram diagram_;
    OwnXServer server_;
    std::unique_ptr<ProgramRun> program_;
    std::unique_ptr<ProcessFreezer> freezer_;
};

// The server goes while the program stands still at some point of its drawing: the
// program learns of it as it happens to, from Qt's thread that reads the connection or
// when it next draws.
class LosingTheXServer : public XServerLoss, public ::testing::WithParamInterface<double> {};

TEST_P(LosingTheXServer, EndsTheProgramWithAMessage)
{
    startAndDraw(GetParam());
    ASSERT_TRUE(server_.stop());
    freezer_->resume();
    expectEndWithAMessage(QStringLiteral("at %1 %").arg(GetParam() * 100).toLatin1().constData());
}

INSTANTIATE_TEST_SUITE_P(InTheMiddleOfTheDrawing, LosingTheXServer, ::testing::Values(0.25, 0.6),
                         [](const ::testing::TestParamInfo<double>& part) {
                             return "At" + std::to_string(static_cast<int>(part.param * 100)) + "Percent";
                         });

// The server goes just as the drawing thread sends the next pixels to it: the thread
// is held at its next write to the connection while the server ends. The program must
// survive writing to a connection closed at the other end, which by default ends a
// process with SIGPIPE.
class LosingTheXServerAsTheDrawingWritesToIt : public XServerLoss {};

TEST_F(LosingTheXServerAsTheDrawingWritesToIt, EndsTheProgramWithAMessage)
{
    startAndDraw(0.4);
    const XSocketOf connection(program_->pid());
    ASSERT_TRUE(connection.isOpen()) << "the program's connection to the X server was not found";
    ThreadHold drawing(program_->pid());
    ASSERT_TRUE(drawing.isHeld()) << "cannot hold the program's drawing thread";
    freezer_->resume();
    ASSERT_TRUE(drawing.runUntilItWritesTo(connection.descriptorInProcess(), 10000))
        << "the drawing thread never wrote to the X server";
    ASSERT_TRUE(server_.stop());
    drawing.release();
    expectEndWithAMessage("as the drawing writes to it");
}

}  // namespace
}  // namespace voroquarn::testing
