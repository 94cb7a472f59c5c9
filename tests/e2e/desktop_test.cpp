// The Linux program as the desktop around it meets it: a screen reader
// reading it over AT-SPI (a session bus of our own, the accessibility bus the
// reader starts, Qt's bridge on as a running screen reader would have it),
// and the X primary selection pasted with the middle button. No sound is
// needed: the program finds no sound server and stays silent.

#include "child_process.h"
#include "files.h"
#include "program_under_test.h"
#include "wait_until.h"
#include "x_session.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr auto kPatience = 10s;

// What the screen reader has of an object under `key` (accessible_tree.py
// lists them); relations are "kind role:name" for each target.
std::string Get(const QJsonValue& object, const char* key)
{
    return object[key].toString().toStdString();
}

class Desktop : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_NE(m_dir.Path(), "");
        std::string error;
        ASSERT_TRUE(m_x.Start(m_dir / "xvfb.log", &error)) << error;
        // A session bus of our own, as a desktop session has one; what it
        // starts on demand (the accessibility bus, when a screen reader asks
        // for it) keeps its sockets in our run/ and ends when it does. No
        // display: the accessibility bus would advertise itself there, where
        // nothing of ours looks.
        const std::string socket = m_dir / "bus";
        ASSERT_TRUE(
            m_bus.Start({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=unix:path=" + socket},
                        testsupport::Environment({{"XDG_RUNTIME_DIR", m_dir / "run"}, {"DISPLAY", ""}}),
                        m_dir / "dbus-daemon.log", &error))
            << error;
        ASSERT_TRUE(testsupport::WaitUntil([&] { return testsupport::SocketAccepts(socket); }, kPatience))
            << "dbus-daemon did not listen: " << m_bus.Output();
        m_busAddress = "unix:path=" + socket;
        e2e::ProgramUnderTest program = e2e::LinuxProgram().front();
        program.environment = {{"DBUS_SESSION_BUS_ADDRESS", m_busAddress},
                               {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1"},
                               {"PULSE_SERVER", "unix:" + (m_dir / "no-sound-server")}};
        const auto window = e2e::StartCopy(program, m_x, m_app, m_dir.Path(), m_dir / "stderr", kPatience, &error);
        ASSERT_NE(window, e2e::kNoWindow) << error;
        m_x.Focus(window);
    }

    void TearDown() override
    {
        m_app.Kill();
        EXPECT_EQ(m_app.Output(), "") << "the program wrote to standard error";
        m_bus.Kill();
        m_x.Stop();
    }

    // Every object of the program a screen reader reads now, parents first.
    QJsonArray Read()
    {
        const std::string json = m_dir / "tree.json";
        testsupport::ChildProcess reader;
        std::string error;
        EXPECT_TRUE(
            reader.Start({"/usr/bin/python3", ACCESSIBLE_TREE_PY, "tonegen", json, "20"},
                         testsupport::Environment({{"DBUS_SESSION_BUS_ADDRESS", m_busAddress}, {"DISPLAY", ""}}),
                         m_dir / "reader.log", &error))
            << error;
        EXPECT_EQ(reader.Ending(30s), "exited with status 0") << "the reader failed:\n" << reader.Output();
        return QJsonDocument::fromJson(QByteArray::fromStdString(testsupport::ReadFile(json))).array();
    }

    // The object with this role and name; an empty one when there is none.
    static QJsonValue Find(const QJsonArray& all, const std::string& role, const std::string& name)
    {
        for (const QJsonValue a : all)
            if (Get(a, "role") == role && Get(a, "name") == name)
                return a;
        return {};
    }

    testsupport::TempDir m_dir{"desktop"};
    e2e::XSession m_x;
    testsupport::ChildProcess m_bus;
    std::string m_busAddress;
    testsupport::ChildProcess m_app;
};

TEST_F(Desktop, ScreenReaderReadsEveryTextAndWhereEachControlBelongs)
{
    const QJsonArray all = Read();

    std::vector<std::string> labels;
    for (const QJsonValue a : all)
        if (Get(a, "role") == "label")
            labels.push_back(Get(a, "name"));
    EXPECT_EQ(labels, (std::vector<std::string>{"常见声卡支持的 采样频率 单位：Hz", "范围：1Hz——20KHz 单位：Hz",
                                                "范围：1秒——5小时 单位：秒（S）"}));

    // Each field named after its box, with its value, labelled by its range.
    for (const auto& [box, value, label] :
         {std::tuple{"设置输出频率", "1000", "label:范围：1Hz——20KHz 单位：Hz"},
          std::tuple{"设置定时输出持续时间", "1", "label:范围：1秒——5小时 单位：秒（S）"}}) {
        const QJsonValue field = Find(all, "text", box);
        ASSERT_EQ(Get(field, "role"), "text") << "no text field named " << box;
        EXPECT_EQ(Get(field, "text"), value);
        EXPECT_EQ(Get(field, "parent"), std::string("panel:") + box);
        EXPECT_EQ(field["relations"].toArray().toVariantList().count(QString("labelled-by ") + label), 1)
            << box << " is not labelled by " << label;
    }

    // The two start buttons share their text; each is told by its box.
    std::vector<std::tuple<std::string, std::string, QVariantList>> starts; // description, parent, relations
    int rates = 0;
    for (const QJsonValue a : all) {
        if (Get(a, "role") == "push-button" && Get(a, "name") == "开始输出")
            starts.emplace_back(Get(a, "description"), Get(a, "parent"), a["relations"].toArray().toVariantList());
        if (Get(a, "role") == "radio-button" && Get(a, "parent") == "panel:选择声卡采样频率" &&
            Get(a, "description").ends_with("Hz"))
            ++rates;
    }
    EXPECT_EQ(starts, (std::vector<std::tuple<std::string, std::string, QVariantList>>{
                          {"连续输出时", "panel:连续输出时", {"labelled-by panel:连续输出时"}},
                          {"定时输出时", "panel:定时输出时", {"labelled-by panel:定时输出时"}}}));
    EXPECT_EQ(rates, 8) << "the rates are one group named by their box, read with their unit";
}

// The middle button pastes the primary selection, as it does everywhere on
// this desktop; like any paste it passes the digit filter and stops at its
// first line break.
TEST_F(Desktop, MiddleClickPastesThePrimarySelection)
{
    const auto frequency = [&] { return Find(Read(), "text", "设置输出频率"); };
    const QJsonValue centre = frequency()["centre"];
    ASSERT_TRUE(centre.isArray()) << "no frequency field";
    const e2e::Point field{centre[0].toInt(), centre[1].toInt()};

    // The click lands past the end of "1000", where the paste goes.
    ASSERT_TRUE(m_x.OwnSelection("PRIMARY", "5\nx"));
    m_x.Click(field, 2);
    std::string text;
    testsupport::WaitUntil([&] { return (text = Get(frequency(), "text")) != "1000"; }, kPatience);
    EXPECT_EQ(text, "10005");

    const auto before = m_x.MappedTopLevels();
    ASSERT_TRUE(m_x.OwnSelection("PRIMARY", "x"));
    m_x.Click(field, 2);
    EXPECT_NE(m_x.WaitForNewWindow("tonegen", before, kPatience), e2e::kNoWindow)
        << "a pasted letter did not bring up the integer prompt";
}

} // namespace
