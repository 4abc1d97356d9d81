#include "ui/tessel/AuroraEffect.h"
#include "ui/tessel/BatteryCtrl.h"
#include "ui/tessel/ColorWheel.h"
#include "ui/tessel/ControlFactory.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/DeviceList.h"
#include "ui/tessel/IconList.h"
#include "ui/tessel/ImageView.h"
#include "ui/tessel/KeyControls.h"
#include "ui/tessel/KeyboardCtrl.h"
#include "ui/tessel/MatrixScreen.h"
#include "ui/tessel/ProfileList.h"
#include "ui/tessel/RecordList.h"
#include "ui/tessel/ThumbnailList.h"

namespace Tessel {

std::vector<std::pair<std::string, ControlFactory::Creator>> StandardControls() {
  using F = ControlFactory;
  return {
      {MArea::kClassName, F::CreatorOf<MArea>()},
      {MControlFont::kClassName, F::CreatorOf<MControlFont>()},
      {MButton::kClassName, F::CreatorOf<MButton>()},
      {CSwitchButton::kClassName, F::CreatorOf<CSwitchButton>()},
      {CCheckButton::kClassName, F::CreatorOf<CCheckButton>()},
      {CRadioButton::kClassName, F::CreatorOf<CRadioButton>()},
      {CColorButton::kClassName, F::CreatorOf<CColorButton>()},
      {MSlider::kClassName, F::CreatorOf<MSlider>()},
      {MEdit::kClassName, F::CreatorOf<MEdit>()},
      {MComboBox::kClassName, F::CreatorOf<MComboBox>()},
      {MTabCtrl::kClassName, F::CreatorOf<MTabCtrl>()},
      {TabCtrlEx::kClassName, F::CreatorOf<TabCtrlEx>()},
      {MProgress::kClassName, F::CreatorOf<MProgress>()},
      {MPicture::kClassName, F::CreatorOf<MPicture>()},
      {CGifPicture::kClassName, F::CreatorOf<CGifPicture>()},
      {CDeviceList::kClassName, F::CreatorOf<CDeviceList>()},
      {ProfileList::kClassName, F::CreatorOf<ProfileList>()},
      {KeyboardCtrl::kClassName, F::CreatorOf<KeyboardCtrl>()},
      {AuroraEffect::kClassName, F::CreatorOf<AuroraEffect>()},
      {BatteryCtrl::kClassName, F::CreatorOf<BatteryCtrl>()},
      {KeyFuncValue::kClassName, F::CreatorOf<KeyFuncValue>()},
      {CKeyTestCtrl::kClassName, F::CreatorOf<CKeyTestCtrl>()},
      {ColorWheel::kClassName, F::CreatorOf<ColorWheel>()},
      {IconList::kClassName, F::CreatorOf<IconList>()},
      {MatrixScreen::kClassName, F::CreatorOf<MatrixScreen>()},
      {ImageView::kClassName, F::CreatorOf<ImageView>()},
      {ThumbnailList::kClassName, F::CreatorOf<ThumbnailList>()},
      {MacroList::kClassName, F::CreatorOf<MacroList>()},
      {CRecordList::kClassName, F::CreatorOf<CRecordList>()},
  };
}

}  // namespace Tessel
