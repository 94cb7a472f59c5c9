#pragma once

// Base for tests that drive a live generator dialog on the real audio path:
// the private sound server, the dialog created and shown, its message boxes
// answered; afterwards output stopped and the window gone.

#include "audio_fixture.h"
#include "dialog_driver.h"
#include "message_box_answerer.h"
#include "tonegen_dlg.h"

namespace testsupport {

class GeneratorTest : public AudioTest {
  protected:
    void SetUp() override
    {
        AudioTest::SetUp();
        ASSERT_TRUE(m_dlg.Create());
    }

    void TearDown() override
    {
        Click(m_dlg, IDC_STOP);
        m_dlg.DestroyWindow();
        AudioTest::TearDown();
    }

    CToneGenDlg m_dlg;
    MessageBoxAnswerer m_boxes;
};

} // namespace testsupport
