#include <fstream>

#include "ControllerFixture.h"
#include "app/KeyboardAccessHint.h"
#include "catalogue/DeviceCatalogue.h"
#include "core/TextIds.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/Controls.h"

namespace {

namespace fs = std::filesystem;

const std::string kCommandDescriptor = {'\x06', '\x60', '\xFF', '\x09', '\x61', '\xA1', '\x01',
                                        '\x09', '\x62', '\x15', '\x00', '\x26', '\xFF', '\x00',
                                        '\x95', '\x20', '\x75', '\x08', '\x81', '\x02', '\xC0'};

void WriteFile(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

class KeyboardAccessHintTest : public ControllerFixture {
 protected:
  fs::path AppFolder() override { return ShippedData(); }

  // The command interface of a K9 on its cable, as sysfs shows it to every user.
  void AttachKeyboard() {
    const fs::path device = roots.sysRoot / "class/hidraw/hidraw2/device";
    WriteFile(device / "uevent", "HID_ID=0003:000036B0:00003001\n");
    WriteFile(device / "report_descriptor", kCommandDescriptor);
  }
  std::string Hint() const {
    return dialog->GetControl<Tessel::MControlFont>(ids::kNoKeyboardHint)->GetTitle();
  }
  std::string Text(int id) const { return texts->GetText(text::kDialogSection, id); }

  TempFolder machine;
  platform::KeyboardAccessRoots roots{machine / "sys", machine / "dev", {machine / "rules.d"}};
};

TEST_F(KeyboardAccessHintTest, AKeyboardThisUserMayNotOpenPointsToTheUdevRule) {
  KeyboardAccessHint access(roots, ReadDeviceCatalogue(ShippedData()));
  const std::string usual = Hint();
  ASSERT_EQ(usual, Text(text::kHomeNoKeyboardHint));

  AttachKeyboard();  // its node is not there for this user
  ASSERT_EQ(access.Check(), KeyboardAccessHint::State::kAttachedButClosed);
  const std::string message = access.StartupMessage(access.Check());
  EXPECT_NE(message.find("tarvo --print-udev-rules | sudo tee /etc/udev/rules.d/70-tarvo.rules"),
            std::string::npos)
      << message;
  access.ShowOnHomePage(*dialog, *texts, access.Check());
  EXPECT_EQ(Hint(), Text(text::kHomeNoKeyboardAccessHint));
  EXPECT_NE(Hint(), usual);

  WriteFile(roots.devRoot / "hidraw2", "");  // the rule is installed and the keyboard replugged
  ASSERT_EQ(access.Check(), KeyboardAccessHint::State::kOpenable);
  EXPECT_EQ(access.StartupMessage(access.Check()), "");
  access.ShowOnHomePage(*dialog, *texts, access.Check());
  EXPECT_EQ(Hint(), usual);
}

TEST_F(KeyboardAccessHintTest, WithoutKeyboardsOnlyAMissingRuleIsMentioned) {
  KeyboardAccessHint access(roots, ReadDeviceCatalogue(ShippedData()));
  ASSERT_EQ(access.Check(), KeyboardAccessHint::State::kNoneAttached);
  EXPECT_NE(access.StartupMessage(access.Check()).find("udev rule"), std::string::npos);
  WriteFile(machine / "rules.d/70-tarvo.rules", "");
  EXPECT_EQ(access.StartupMessage(access.Check()), "");
  access.ShowOnHomePage(*dialog, *texts, access.Check());
  EXPECT_EQ(Hint(), Text(text::kHomeNoKeyboardHint));
}

}  // namespace
