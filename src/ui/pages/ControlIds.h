#pragma once
// Control IDs of the main window. Each page owns a range of a hundred.

namespace ids {

enum MainWindow : int {
  kBackground = 1001,      // still background of the pages
  kHomeBackground = 1002,  // animated background of the home page
  kTitleBar = 1003,
  kProductTitle = 1004,  // the title label (model name)
  kBackgroundButton = 1005,
  kMinimizeButton = 1006,
  kCloseButton = 1007,
  kMainTabs = 1008,
  kMainContent = 1009,     // the area of the pages below the tabs
  kDeviceOverview = 1010,  // the home page's view of the keyboards
  kKeyboardView = 1011,    // the keyboard picture with its keys (lighting and key pages)
  kEffectView = 1012,      // the screen-sync effect view (page 2)
  kKeyTestArea = 1013,     // the key-test controls of the key page
  kLogo = 1014,
};

// The profile column left of the pages' keyboard view.
enum Profiles : int {
  kProfilePanel = 1050,
  kProfileTitle = 1051,
  kProfileAdd = 1052,
  kProfileImport = 1053,
  kProfileManage = 1054,
  kProfileList = 1055,
};

// The area of a main page: kPageArea + page id.
constexpr int kPageArea = 1100;

// Each page's own controls: 1200 + 100 x page id onward.

enum Home : int {
  kDeviceList = 1201,
  kNoKeyboardText = 1202,
  kVersionLabel = 1203,
  kWebsiteButton = 1204,
  kWebsiteLabel = 1205,
  kFeedbackButton = 1206,
  kFeedbackLabel = 1207,
  kStoreButton = 1208,
  kFaqsButton = 1209,
  kDevicesTitle = 1210,
  kNoKeyboardHint = 1211,
  kChooseHint = 1212,
  kFooter = 1213,
  kStoreLabel = 1214,
  kFaqsLabel = 1215,
};

enum Settings : int {
  kLanguageTitle = 1901,
  kLanguageSimplifiedChinese = 1902,  // group "IDC_SET_STC_LANGUAGE", in this order
  kLanguageEnglish = 1903,
  kLanguageTraditionalChinese = 1904,
  kApplicationTitle = 1905,
  kSoftwareVersionLabel = 1906,
  kLanguageCard = 1907,
  kApplicationCard = 1908,
  kSettingsCaption = 1909,
  // The keyboard's system settings.
  kKeyboardCard = 1910,
  kKeyboardTitle = 1911,
  kMacModeSwitch = 1912,
  kGameModeSwitch = 1913,
  kLockWinSwitch = 1914,
  kWasdSwapSwitch = 1915,
  kSleepTimeLabel = 1916,
  kSleepTimeCombo = 1917,  // item data: minutes
  kKeyResponseLabel = 1918,
  kKeyResponseCombo = 1919,  // item data: the keyboard's key response value
  kKnobModeSwitch = 1920,
  // The keyboard's firmware, battery and factory settings.
  kFirmwareCard = 1921,
  kFirmwareTitle = 1922,
  kFirmwareVersionLabel = 1923,
  kFirmwareLatestLabel = 1924,
  kFirmwareUpdateLabel = 1925,
  kBatteryLabel = 1926,
  kBattery = 1927,
  kRestoreFactoryButton = 1928,
  // The application: start at login, what the close button does, updates.
  kAutorunSwitch = 1930,
  kAutorunMinimizeSwitch = 1931,  // shown while the autorun switch is on
  kExitModeLabel = 1932,
  kExitModeHideToTray = 1933,  // group "IDC_SET_STC_EXITMODE", in this order
  kExitModeQuit = 1934,
  kCheckUpdatesButton = 1935,
};

// The radio group of the language buttons.
inline constexpr const char* kLanguageGroup = "IDC_SET_STC_LANGUAGE";
// The radio group of what the close button does.
inline constexpr const char* kExitModeGroup = "IDC_SET_STC_EXITMODE";

}  // namespace ids
