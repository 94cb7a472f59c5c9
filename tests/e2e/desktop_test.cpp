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
#include <QJsonObject>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr auto kPatience = 10s;

// One object as the screen reader has it.
struct Accessible {
    std::string role;
    std::string name;
    std::string description;
    std::string text;
    std::string parent;                 // "role:name"
    std::vector<std::string> relations; // "kind role:name" for each target
    e2e::Point centre;
};

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
        m_window = e2e::StartCopy(program, m_x, m_app, m_dir.Path(), m_dir / "stderr", kPatience, &error);
        ASSERT_NE(m_window, e2e::kNoWindow) << error;
        m_x.Focus(m_window);
    }

    void TearDown() override
    {
        m_app.Kill();
        EXPECT_EQ(m_app.Output(), "") << "the program wrote to standard error";
        m_bus.Kill();
        m_x.Stop();
    }

    // Every object of the program a screen reader reads now, parents first.
    std::vector<Accessible> Read()
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
        std::vector<Accessible> all;
        for (const QJsonValue node :
             QJsonDocument::fromJson(QByteArray::fromStdString(testsupport::ReadFile(json))).array()) {
            const auto text = [&](const char* key) { return node[key].toString().toStdString(); };
            Accessible& a = all.emplace_back(text("role"), text("name"), text("description"), text("text"),
                                             text("parent"), std::vector<std::string>{},
                                             e2e::Point{node["centre"][0].toInt(), node["centre"][1].toInt()});
            for (const QJsonValue relation : node["relations"].toArray())
                a.relations.push_back(relation.toString().toStdString());
        }
        return all;
    }

    // The object with this role and name; an empty one when there is none.
    static Accessible Find(const std::vector<Accessible>& all, const std::string& role, const std::string& name)
    {
        const auto it =
            std::ranges::find_if(all, [&](const Accessible& a) { return a.role == role && a.name == name; });
        return it != all.end() ? *it : Accessible{};
    }

    testsupport::TempDir m_dir{"desktop"};
    e2e::XSession m_x;
    testsupport::ChildProcess m_bus;
    std::string m_busAddress;
    testsupport::ChildProcess m_app;
    e2e::Window m_window = e2e::kNoWindow;
};

TEST_F(Desktop, ScreenReaderReadsEveryTextAndWhereEachControlBelongs)
{
    const std::vector<Accessible> all = Read();

    std::vector<std::string> labels;
    for (const Accessible& a : all)
        if (a.role == "label")
            labels.push_back(a.name);
    EXPECT_EQ(labels, (std::vector<std::string>{"常见声卡支持的 采样频率 单位：Hz", "范围：1Hz——20KHz 单位：Hz",
                                                "范围：1秒——5小时 单位：秒（S）"}));

    // Each field named after its box, with its value, labelled by its range.
    for (const auto& [box, value, label] :
         {std::tuple{"设置输出频率", "1000", "label:范围：1Hz——20KHz 单位：Hz"},
          std::tuple{"设置定时输出持续时间", "1", "label:范围：1秒——5小时 单位：秒（S）"}}) {
        const Accessible field = Find(all, "text", box);
        ASSERT_EQ(field.role, "text") << "no text field named " << box;
        EXPECT_EQ(field.text, value);
        EXPECT_EQ(field.parent, std::string("panel:") + box);
        EXPECT_EQ(std::ranges::count(field.relations, std::string("labelled-by ") + label), 1)
            << box << " is not labelled by " << label;
    }

    std::vector<std::pair<std::string, std::string>> starts; // description, parent
    int rates = 0;
    for (const Accessible& a : all) {
        if (a.role == "push button" && a.name == "开始输出")
            starts.emplace_back(a.description, a.parent);
        if (a.role == "radio button" && a.parent == "panel:选择声卡采样频率" && a.description.ends_with("Hz"))
            ++rates;
    }
    EXPECT_EQ(starts, (std::vector<std::pair<std::string, std::string>>{{"连续输出时", "panel:连续输出时"},
                                                                        {"定时输出时", "panel:定时输出时"}}));
    EXPECT_EQ(rates, 8) << "the rates are one group named by their box, read with their unit";
}

// The middle button pastes the primary selection, as it does everywhere on
// this desktop; like any paste it passes the digit filter and stops at its
// first line break.
TEST_F(Desktop, MiddleClickPastesThePrimarySelection)
{
    const auto frequency = [&] { return Find(Read(), "text", "设置输出频率"); };
    const e2e::Point field = frequency().centre;
    ASSERT_NE(field.x, 0) << "no frequency field";

    // The click lands past the end of "1000", where the paste goes.
    ASSERT_TRUE(m_x.OwnSelection("PRIMARY", "5\nx"));
    m_x.Click(field, 2);
    std::string text;
    testsupport::WaitUntil([&] { return (text = frequency().text) != "1000"; }, kPatience);
    EXPECT_EQ(text, "10005");

    const auto before = m_x.MappedTopLevels();
    ASSERT_TRUE(m_x.OwnSelection("PRIMARY", "x"));
    m_x.Click(field, 2);
    EXPECT_NE(m_x.WaitForNewWindow("tonegen", before, kPatience), e2e::kNoWindow)
        << "a pasted letter did not bring up the integer prompt";
}

} // namespace
