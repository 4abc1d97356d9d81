#pragma once
// Numbers of the language texts (keys of the language tables, see TextTable). Every number the
// code uses has a name here, grouped by feature, and kDialogIds / kCaptionIds list every key
// that each shipped table must carry. Texts are formatted into messages by their callers, so
// a text holds no placeholders unless its comment says so.

#include <array>
#include <cstddef>
#include <string_view>

namespace text {

// Sections of the tables.
inline constexpr std::string_view kDialogSection = "KB.DIALOG";
inline constexpr std::string_view kCaptionSection = "CAPTION";

// ---- Section "CAPTION" --------------------------------------------------------------------

inline constexpr int kCaptionSettings = 2;  // caption of the settings page

// ---- Section "KB.DIALOG" ------------------------------------------------------------------

// General buttons and captions shared by dialogs and message boxes.
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kYes = 3;
inline constexpr int kNo = 4;
inline constexpr int kApply = 5;
inline constexpr int kNotice = 14;  // caption of plain information boxes
inline constexpr int kPleaseWait = 12;
inline constexpr int kLoading = 13;

// Main window: window buttons, background menu, tray, web buttons, about.
inline constexpr int kChangeBackgroundTip = 6;
inline constexpr int kBackgroundChoosePicture = 7;  // background menu item 100
inline constexpr int kMinimizeTip = 8;
inline constexpr int kBackgroundRestoreDefault = 9;  // background menu item 101
inline constexpr int kTrayExit = 11;
inline constexpr int kWebsite = 15;
inline constexpr int kStore = 16;
inline constexpr int kFeedback = 17;
inline constexpr int kFaq = 18;
inline constexpr int kAbout = 19;
inline constexpr int kCloseTipHideToTray = 509;  // close button when "exit_mode" is 1
inline constexpr int kCloseTipExit = 510;        // close button otherwise

// Main page tabs (in tab order: home, lighting, matrix, screen, keys, macros, effects,
// settings).
inline constexpr int kTabHome = 40;
inline constexpr int kTabLighting = 41;
inline constexpr int kTabMatrix = 42;
inline constexpr int kTabScreen = 43;
inline constexpr int kTabKeys = 44;
inline constexpr int kTabMacros = 45;
inline constexpr int kTabEffects = 46;
inline constexpr int kTabSettings = 47;

// Home page: device overview.
inline constexpr int kHomeNoKeyboard = 48;
inline constexpr int kHomeNoKeyboardHint = 49;
inline constexpr int kDeviceConnected = 50;
inline constexpr int kDeviceDisconnected = 51;
inline constexpr int kDeviceWired = 52;
inline constexpr int kDeviceWireless = 53;
inline constexpr int kDeviceBattery = 54;
inline constexpr int kDeviceCharging = 55;
inline constexpr int kHomeDevicesTitle = 56;
inline constexpr int kHomeChooseHint = 57;
// Below the no-keyboard message while a keyboard is attached that this user may not open.
inline constexpr int kHomeNoKeyboardAccessHint = 58;

// Profiles: list, menu, dialog, names.
inline constexpr int kProfileListTitle = 60;
inline constexpr int kProfileAddTip = 61;
inline constexpr int kProfileImportTip = 62;
inline constexpr int kProfileManageTip = 63;
inline constexpr int kProfileMenuDelete = 64;
// Base of the names "%s 1", "%s 2", ... of new profiles; shown for the stored prefix
// "我的專屬配寘".
inline constexpr int kProfileBaseName = 65;
inline constexpr int kProfileLimitCaption = 66;
inline constexpr int kProfileMenuExport = 67;
// Shown for the stored name prefixes "Profile" and "配置文件".
inline constexpr int kProfileDisplayName = 68;
inline constexpr int kProfileLimitMessage = 69;
inline constexpr int kProfileMenuRename = 70;
inline constexpr int kProfileDialogTitle = 71;

// Key shortcut names (function picker, type 7) and the macro copy suffix.
inline constexpr int kShortcutCopy = 31;  // also the "Copy" word of copied macro names
inline constexpr int kShortcutPaste = 32;
inline constexpr int kShortcutNew = 35;
inline constexpr int kShortcutCut = 36;
inline constexpr int kShortcutSave = 38;
inline constexpr int kShortcutOpen = 39;
inline constexpr int kShortcutShowDesktop = 251;
inline constexpr int kShortcutFileManager = 252;
inline constexpr int kShortcutLockScreen = 253;
inline constexpr int kShortcutCloseWindow = 254;
inline constexpr int kShortcutSwitchWindow = 255;
inline constexpr int kShortcutSystemSleep = 257;  // code 161, read from the keyboard only
inline constexpr int kShortcutSystemPower = 258;  // code 162
inline constexpr int kShortcutSystemWake = 259;   // code 163

// Lighting page.
inline constexpr int kLightSwitch = 100;
inline constexpr int kLightEffectsTitle = 101;
inline constexpr int kLightBrightness = 102;
inline constexpr int kLightSpeed = 103;
inline constexpr int kLightDirection = 104;
inline constexpr int kLightDirectionLeft = 105;
inline constexpr int kLightDirectionRight = 106;
inline constexpr int kLightDirectionUp = 107;
inline constexpr int kLightDirectionDown = 108;
inline constexpr int kLightColor = 109;
inline constexpr int kLightColorful = 110;
inline constexpr int kLightPreview = 111;
inline constexpr int kLightCustomSlot = 112;
inline constexpr int kLightPresetColors = 113;
inline constexpr int kColorRed = 114;
inline constexpr int kColorGreen = 115;
inline constexpr int kColorBlue = 116;
inline constexpr int kLightPaintHint = 117;
inline constexpr int kLightNotSaved = 118;  // a change of the page could not be stored
inline constexpr int kLightSelectAll = 119;
// Light mode names: the stored "name" of a light mode record is the number of its text.
inline constexpr int kLightZone0ModeFirst = 120;  // zone 0, mode m: 120 + m (mode 0 = light off)
inline constexpr int kLightZone0ModeLast = 140;
inline constexpr int kLightCustomModeName = 141;  // zone 0, modes 128 to 132
inline constexpr int kLightZone1ModeFirst = 150;  // zone 1, mode m: 150 + m
inline constexpr int kLightZone1ModeLast = 154;
inline constexpr int kLightZone2ModeFirst = 160;  // zones 2 and 10, mode m: 160 + m
inline constexpr int kLightZone2ModeLast = 164;
// Light page tabs (zones 0, 1, 2; zone 2 of model 102 has its own title).
inline constexpr int kLightTabKeys = 170;
inline constexpr int kLightTabSide = 171;
inline constexpr int kLightTabTop = 172;
inline constexpr int kLightTabLogo = 173;
// Custom slot chooser: slot 128 + n has text 180 + n.
inline constexpr int kLightSlotFirst = 180;
inline constexpr int kLightSlotLast = 184;

// Key customization page.
inline constexpr int kKeyPageHint = 200;
inline constexpr int kKeyRestoreKey = 201;
inline constexpr int kKeyRestoreLayerMessage = 203;
inline constexpr int kKeyRestoreLayerCaption = 204;  // also the per-layer default button
// Function picker tabs.
inline constexpr int kPickerTabDefault = 205;
inline constexpr int kPickerTabKeys = 206;
inline constexpr int kPickerTabMacros = 207;
inline constexpr int kPickerTabMouse = 208;
inline constexpr int kPickerTabMedia = 209;
inline constexpr int kPickerTabShortcuts = 210;
inline constexpr int kPickerTabKeyboardFunctions = 211;
inline constexpr int kPickerTabCombination = 212;
inline constexpr int kKeyDisabled = 213;  // the fixed key function (type 1)
inline constexpr int kKeyLayerLabel = 214;
inline constexpr int kKeyLayerBase = 215;
inline constexpr int kKeyLayerFn1 = 216;
inline constexpr int kKeyLayerFn2 = 217;
inline constexpr int kKeyLayerFn3 = 218;
inline constexpr int kKeyTestTitle = 219;
// Mouse functions (type 5).
inline constexpr int kMouseLeft = 220;
inline constexpr int kMouseMiddle = 222;
inline constexpr int kMouseRight = 223;
inline constexpr int kMouseScrollUp = 225;
inline constexpr int kMouseScrollDown = 226;
inline constexpr int kMouseForward = 227;
inline constexpr int kMouseBack = 228;
// Messages of the key page.
inline constexpr int kNoKeySelectedMessage = 230;
inline constexpr int kCombinationCaption = 231;
inline constexpr int kMacroWithoutEventsMessage = 232;
inline constexpr int kAssignMacroCaption = 233;
// Key combination and macro play panels.
inline constexpr int kCombinationCaptureHint = 234;
inline constexpr int kCombinationModifiers = 235;
inline constexpr int kMacroPlayModeLabel = 237;
inline constexpr int kMacroRepeatCountLabel = 238;
inline constexpr int kKeyTestHint = 239;
inline constexpr int kMacroPlayCount = 242;        // play mode 0, uses the repeat count
inline constexpr int kMacroPlayUntilAnyKey = 243;  // play mode 1
inline constexpr int kMacroPlayWhileHeld = 244;    // play mode 2
inline constexpr int kMacroPlayToggle = 245;       // play mode 3

// Notices of the key page.
inline constexpr int kKeyNotStoredMessage = 240;      // a key change the database did not take
inline constexpr int kKeyTablesUnknownMessage = 241;  // restoring before the keyboard was read

// Media functions (type 6) and names of media entries read from the keyboard.
inline constexpr int kMediaMyComputer = 260;
inline constexpr int kMediaCalculator = 261;
inline constexpr int kMediaEmail = 262;
inline constexpr int kMediaPlayer = 263;
inline constexpr int kMediaPlayPause = 264;
inline constexpr int kMediaStop = 265;
inline constexpr int kMediaPreviousTrack = 266;
inline constexpr int kMediaNextTrack = 267;
inline constexpr int kMediaVolumeUp = 268;    // also the knob's "WheelLeft" entry
inline constexpr int kMediaVolumeDown = 269;  // also "WheelRight"
inline constexpr int kMediaMute = 270;        // also "WheelClick"
inline constexpr int kMediaBrowserHome = 271;
inline constexpr int kMediaBrowserRefresh = 272;
inline constexpr int kMediaBrowserStop = 273;
inline constexpr int kMediaBrowserBack = 274;
inline constexpr int kMediaBrowserForward = 275;
inline constexpr int kMediaBrowserFavorites = 276;
inline constexpr int kMediaBrowserSearch = 277;
inline constexpr int kMediaBrightnessUp = 278;    // usage 0x6F, read from the keyboard only
inline constexpr int kMediaBrightnessDown = 279;  // usage 0x70
inline constexpr int kMediaReadMyComputer = 280;  // codes 113 to 115 read from the keyboard
inline constexpr int kMediaReadCalculator = 281;
inline constexpr int kMediaReadEmail = 282;

// Knob dialog.
inline constexpr int kKnobDone = 22;  // the dialog's button
inline constexpr int kKnobTitle = 300;
inline constexpr int kKnobAction1 = 301;  // label of the second list (action 1)
inline constexpr int kKnobHint = 302;
inline constexpr int kKnobAction0 = 303;  // label of the first list (action 0)
inline constexpr int kKnobAction2 = 304;  // label of the third list (action 2)

// Macro page, recording and event editor.
inline constexpr int kMacroListTitle = 350;
inline constexpr int kMacroBaseName = 351;  // new macro names; replaces "New Macro", "Custom", ...
inline constexpr int kMacroNewTip = 352;
inline constexpr int kMacroDeleteTip = 353;
inline constexpr int kMacroEventsTitle = 354;
inline constexpr int kMacroDelayTitle = 355;
inline constexpr int kMacroFixedDelayLabel = 356;
inline constexpr int kMacroRecord = 358;
inline constexpr int kMacroStopRecording = 359;
inline constexpr int kMacroClearEvents = 360;
inline constexpr int kMacroDelayNone = 361;      // delay_type 0
inline constexpr int kMacroDelayRecorded = 362;  // delay_type 1
inline constexpr int kMacroDelayFixed = 363;     // delay_type 2
inline constexpr int kMacroDeleteEvent = 364;
inline constexpr int kMacroMoveUp = 365;
inline constexpr int kMacroMoveDown = 366;
inline constexpr int kMacroInsertCaption = 368;  // also the insert button
inline constexpr int kMacroEventEditorTitle = 369;
inline constexpr int kMacroEventKindLabel = 370;
inline constexpr int kMacroMouseButtonLabel = 371;
inline constexpr int kMacroMouseLeft = 372;
inline constexpr int kMacroMouseRight = 373;
inline constexpr int kMacroMouseMiddle = 374;
inline constexpr int kMacroMouseBack = 375;
inline constexpr int kMacroMouseForward = 376;
inline constexpr int kMacroMilliseconds = 377;
inline constexpr int kMacroRecordHint = 378;
inline constexpr int kMacroKeyFieldTip = 385;
inline constexpr int kMacroMemoryFullMessage = 386;
inline constexpr int kMacroNoneSelectedMessage = 387;
inline constexpr int kMacroEventKindMouse = 393;
inline constexpr int kMacroEventKindKey = 394;
inline constexpr int kMacroEventKindDelay = 395;
inline constexpr int kMacroInsertAtStart = 397;  // insert menu item 101
inline constexpr int kMacroInsertAtEnd = 398;    // insert menu item 103
inline constexpr int kMacroEventMenuEdit = 400;  // event list menu items 100 to 103
inline constexpr int kMacroEventMenuDuplicate = 401;
inline constexpr int kMacroEventMenuDelete = 402;
inline constexpr int kMacroEventMenuClear = 403;
inline constexpr int kMacroInsertKeyPress = 415;  // insert menu items 105 to 107
inline constexpr int kMacroInsertMouseClick = 416;
inline constexpr int kMacroInsertDelay = 417;
inline constexpr int kMacroLimitMessage = 430;

// Settings page.
inline constexpr int kSettingsLanguage = 500;
inline constexpr int kLanguageSimplifiedChinese = 501;
inline constexpr int kLanguageEnglish = 502;
inline constexpr int kLanguageTraditionalChinese = 503;
inline constexpr int kSettingsKeyboardTitle = 504;
inline constexpr int kSettingsMacMode = 505;
inline constexpr int kSettingsGameMode = 506;
inline constexpr int kSettingsLockWin = 507;
inline constexpr int kSettingsWasdSwap = 508;
inline constexpr int kSettingsSleepTime = 511;
inline constexpr int kSettingsKeyResponse = 512;
inline constexpr int kSettingsKnobMode = 513;
inline constexpr int kSettingsAutorun = 514;
inline constexpr int kSettingsAutorunMinimized = 515;
inline constexpr int kSettingsCloseAction = 518;
inline constexpr int kSettingsCloseHidesToTray = 519;  // first button of "IDC_SET_STC_EXITMODE"
inline constexpr int kSettingsCloseQuits = 522;        // second button
inline constexpr int kSettingsCheckUpdates = 523;
inline constexpr int kSettingsApplicationTitle = 524;
inline constexpr int kSettingsFirmwareTitle = 525;
inline constexpr int kSoftwareVersion = 517;  // "%s: %s" with the version
inline constexpr int kFirmwareVersion = 530;  // "%s: v%s.%s" with the firmware version
inline constexpr int kUpToDate = 531;         // label, and the message of the no-update boxes
inline constexpr int kUpdateFirmware = 532;
inline constexpr int kRestoreFactoryCaption = 550;  // also the button
inline constexpr int kRestoreFactoryMessage = 552;

// Updates.
inline constexpr int kSoftwareUpdateCaption = 516;
inline constexpr int kNewVersionFound = 520;  // "%s:v%s, %s": this, the version, kUpdateNow
inline constexpr int kUpdateNow = 521;
inline constexpr int kFirmwareUpdateCaption = 533;
inline constexpr int kDownloading = 539;  // "%s: %d%%"

// Screen-sync and music effects page: effect mode m has text 599 + m.
inline constexpr int kEffectMusic = 600;
inline constexpr int kEffectPicture = 601;
inline constexpr int kEffectScreen = 602;
inline constexpr int kEffectWindow = 603;
inline constexpr int kEffectLayers = 604;
inline constexpr int kEffectAmbient = 605;
inline constexpr int kEffectGame = 606;
inline constexpr int kEffectForeground = 610;
inline constexpr int kEffectBackground = 611;
inline constexpr int kEffectAmplitude = 612;
inline constexpr int kEffectBackgroundBrightness = 613;
inline constexpr int kEffectLightBrightness = 614;
inline constexpr int kEffectMusicLayer = 615;
inline constexpr int kEffectChooseFile = 616;
inline constexpr int kEffectNoFile = 617;
inline constexpr int kEffectWindowLabel = 618;
inline constexpr int kEffectRefreshWindows = 619;
inline constexpr int kEffectPictureHint = 620;
// Visualizer pattern p (0 to 21) has text 650 + p; foreground mode 100 ("off") has its own.
inline constexpr int kPatternFirst = 650;
inline constexpr int kPatternLast = 671;
inline constexpr int kPatternOff = 672;
// The foreground pattern whose matrix lights the effect view draws (pattern 22).
inline constexpr int kPatternMatrixLights = 1500;
// A line about each effect mode the page shows below its panel (modes 1, 3 to 7; mode 2 has
// kEffectPictureHint).
inline constexpr int kEffectMusicHint = 1501;
inline constexpr int kEffectScreenHint = 1502;
inline constexpr int kEffectWindowHint = 1503;
inline constexpr int kEffectLayersHint = 1504;
inline constexpr int kEffectAmbientHint = 1505;
inline constexpr int kEffectGameHint = 1506;
// What keeps the screen, a window or a file from lighting the keys.
inline constexpr int kEffectWaylandNotice = 1507;
inline constexpr int kEffectNoDisplayNotice = 1508;
inline constexpr int kEffectCaptureFailed = 1509;
inline constexpr int kEffectWindowClosed = 1510;
inline constexpr int kEffectWindowHidden = 1511;
inline constexpr int kEffectNoWindow = 1512;
inline constexpr int kEffectFileFailed = 1513;

// LCD screen page.
inline constexpr int kLcdScreensTitle = 800;
inline constexpr int kLcdScreen1 = 801;
inline constexpr int kLcdScreen2 = 802;
inline constexpr int kLcdScreen3 = 803;
inline constexpr int kLcdLibraryTitle = 804;
inline constexpr int kLcdFramesTitle = 805;
inline constexpr int kLcdImport = 806;
inline constexpr int kLcdNew = 807;
inline constexpr int kLcdDelete = 808;
inline constexpr int kLcdAddPicture = 809;
inline constexpr int kLcdCopyFrame = 810;
inline constexpr int kLcdDeleteFrame = 811;
inline constexpr int kLcdSave = 812;
inline constexpr int kLcdExport = 813;
inline constexpr int kLcdUpload = 814;
inline constexpr int kLcdSyncClock = 815;
inline constexpr int kLcdPen = 816;
inline constexpr int kLcdEraser = 817;
inline constexpr int kLcdUndo = 818;
inline constexpr int kLcdGrid = 819;
inline constexpr int kLcdText = 820;
inline constexpr int kLcdFontSize = 821;
inline constexpr int kLcdDelayLabel = 823;
inline constexpr int kLcdDelayThisFrame = 824;  // radio group "DELAYTIME_TYPE"
inline constexpr int kLcdDelayAllFrames = 825;
inline constexpr int kLcdDeleteFrameMessage = 826;
inline constexpr int kLcdUploading = 829;
inline constexpr int kLcdDeleteItemCaption = 835;
inline constexpr int kLcdDeleteItemMessage = 836;
inline constexpr int kLcdDelayDialogTitle = 837;

// Matrix light page: mode names, labels and preset names.
inline constexpr int kMatrixModeFirst = 900;  // mode m (0 to 6) has 900 + m
inline constexpr int kMatrixModeLast = 906;
inline constexpr int kMatrixModeDrawing = 905;
inline constexpr int kMatrixModePresets = 907;  // mode 128
inline constexpr int kMatrixSwitch = 908;
inline constexpr int kMatrixEffectsTitle = 909;
inline constexpr int kMatrixPresetLabel = 910;
inline constexpr int kMatrixAmplitude = 911;
inline constexpr int kMatrixDrawHint = 912;
inline constexpr int kMatrixPresetFirst = 921;  // the preset list, in list order
inline constexpr int kMatrixPresetLast = 938;
// The music presets' hint: what the sound source is doing.
inline constexpr int kMatrixSoundFollowing = 1450;
inline constexpr int kMatrixSoundNoServer = 1451;
inline constexpr int kMatrixSoundNoOutput = 1452;

// Screen upload log lines (each line is formatted by the upload around these texts).
inline constexpr int kUploadStart = 1100;
inline constexpr int kUploadFound = 1101;
inline constexpr int kUploadFoundSuffix = 1102;
inline constexpr int kUploadNothingFound = 1103;
inline constexpr int kUploadLookedIn = 1104;
inline constexpr int kUploadUserGif = 1105;
inline constexpr int kUploadFactoryGif = 1106;
inline constexpr int kUploadNoGifSuffix = 1107;
inline constexpr int kUploadNoGifScreen = 1108;
inline constexpr int kUploadOpeningChannel = 1110;
inline constexpr int kUploadChannelReady = 1111;
inline constexpr int kUploadCount = 1112;
inline constexpr int kUploadCountSuffix = 1113;
inline constexpr int kUploadConverting = 1120;
inline constexpr int kUploadConvertingSuffix = 1121;
inline constexpr int kUploadConverted = 1122;
inline constexpr int kUploadConvertFailed = 1123;
inline constexpr int kUploadMeasuring = 1130;
inline constexpr int kUploadTotalSize = 1131;
inline constexpr int kUploadTotalSizeUnit = 1132;
inline constexpr int kUploadCannotOpenConverted = 1133;
inline constexpr int kUploadWritingTable = 1140;
inline constexpr int kUploadTableWritten = 1141;
inline constexpr int kUploadTablePart = 1142;
inline constexpr int kUploadTooMany = 1143;
inline constexpr int kUploadTooManyMiddle = 1144;
inline constexpr int kUploadTooManySuffix = 1145;
inline constexpr int kUploadErasing = 1150;
inline constexpr int kUploadErased = 1151;
inline constexpr int kUploadWriting = 1160;
inline constexpr int kUploadImage = 1161;
inline constexpr int kUploadImageInProgress = 1162;
inline constexpr int kUploadImageAddress = 1163;
inline constexpr int kUploadImageResultSuffix = 1164;
inline constexpr int kUploadImageWritten = 1165;
inline constexpr int kUploadImageFailed = 1166;
inline constexpr int kUploadCannotOpenImage = 1167;
inline constexpr int kUploadCannotOpenImageSuffix = 1168;
inline constexpr int kUploadImageTooShort = 1169;
inline constexpr int kUploadImageTooShortSuffix = 1170;
inline constexpr int kUploadOutOfMemory = 1171;
inline constexpr int kUploadShortRead = 1172;
inline constexpr int kUploadShortReadSuffix = 1173;
inline constexpr int kUploadFinishing = 1180;
inline constexpr int kUploadSavingSettings = 1181;
inline constexpr int kUploadCleaningUp = 1182;
inline constexpr int kUploadDeletedFile = 1183;
inline constexpr int kUploadComplete = 1184;
inline constexpr int kUploadNoScreenChannel = 1185;
inline constexpr int kUploadDoesNotFit = 1186;
inline constexpr int kUploadNotWritten = 1187;
inline constexpr int kUploadStopped = 1188;
inline constexpr int kUploadUnusableImage = 1189;
inline constexpr int kUploadTooManyGifs = 1190;
inline constexpr int kUploadTooManyGifsLimit = 1191;
inline constexpr int kUploadTooManyGifsKeep = 1192;
inline constexpr int kUploadTooManyGifsSuffix = 1193;
inline constexpr int kConverterCommand = 1194;

// Saving a screen animation (log lines).
inline constexpr int kScreenSaveBadScreen = 1200;
inline constexpr int kScreenSaveScreen = 1202;
inline constexpr int kScreenSaveScreenSuffix = 1203;
inline constexpr int kScreenSavePreview = 1204;
inline constexpr int kScreenSaveDone = 1206;

// The screen page's own words: list details, the text tool, and what went wrong.
inline constexpr int kLcdFrameCount = 1550;  // %d: how many frames
inline constexpr int kLcdFrameDelay = 1551;  // %d: milliseconds
inline constexpr int kLcdUserChoice = 1552;
inline constexpr int kLcdFactoryChoice = 1553;
inline constexpr int kLcdNoAnimation = 1554;
inline constexpr int kLcdTextPlaceholder = 1555;
inline constexpr int kLcdImportFailed = 1556;  // %s: the file
inline constexpr int kLcdExportFailed = 1557;  // %s: the file
inline constexpr int kLcdSaveFailedCaption = 1558;
inline constexpr int kLcdSaveFailed = 1559;
inline constexpr int kLcdEmptyAnimation = 1560;
inline constexpr int kLcdUploadCaption = 1561;
inline constexpr int kLcdUploadFailed = 1562;  // %s: what the upload said last
inline constexpr int kLcdLinkFailed = 1563;
inline constexpr int kLcdClockFailed = 1564;
inline constexpr int kLcdDeleteFailed = 1565;
inline constexpr int kLcdSavesTo = 1566;  // %s: the screen's name
inline constexpr int kLcdTextHint = 1567;

// ---- Every key the tables must carry ------------------------------------------------------

struct IdRange {
  int first;
  int last;  // inclusive
};

// Messages about the settings database, files and the keyboard's state.
inline constexpr int kDatabaseWriteFailedCaption = 1300;
inline constexpr int kDatabaseWriteFailed = 1301;
inline constexpr int kDatabaseSetAsideCaption = 1302;
inline constexpr int kDatabaseSetAside = 1303;  // %s: where the old file is
inline constexpr int kExportFailedCaption = 1304;
inline constexpr int kExportFailed = 1305;  // %s: the reason
inline constexpr int kImportFailedCaption = 1306;
inline constexpr int kImportUnreadable = 1307;
inline constexpr int kImportStoreFailed = 1308;
inline constexpr int kImportRowsLeftOut = 1309;  // %d: how many
inline constexpr int kFactoryResetDone = 1310;
inline constexpr int kFactoryResetNotDone = 1311;
inline constexpr int kDeleteProfileCaption = 1312;
inline constexpr int kDeleteProfileMessage = 1313;  // %s: the profile's name
inline constexpr int kRenameTakenMessage = 1314;
inline constexpr int kDeviceAsleep = 1315;
inline constexpr int kHomeKeyboardAsleep = 1316;  // %s: the model's name
inline constexpr int kHomeKeyboardAsleepHint = 1317;
inline constexpr int kHomeOtherKeyboard = 1318;  // %s, %s: the selected and the attached model
inline constexpr int kMinutes = 1319;            // %d: a number of minutes
inline constexpr int kBatteryLow = 1320;

// The macro page.
inline constexpr int kMacroRename = 1400;
inline constexpr int kMacroRoomLeft = 1401;  // %d: how many events still fit
inline constexpr int kMacroMemoryUnknown = 1402;
inline constexpr int kMacroOnlyThisWindow = 1403;
inline constexpr int kMacroRecordingGrabbed = 1404;
inline constexpr int kMacroRecordingShared = 1405;

// The application on the desktop: start at login, its settings, updates.
inline constexpr int kAutorunNotWritten = 1600;  // %s: the autostart file
inline constexpr int kAutorunNotRemoved = 1601;  // %s: the autostart file
inline constexpr int kSettingNotSaved = 1602;    // %s: the settings file
inline constexpr int kUpdateDownloadFailed = 1603;
inline constexpr int kUpdatePackageDamaged = 1604;
inline constexpr int kUpdateInstallerFailed = 1605;
inline constexpr int kFirmwareUpdaterFailed = 1606;  // %s: the updater

namespace detail {

template <std::size_t N>
constexpr std::size_t CountIds(const IdRange (&ranges)[N]) {
  std::size_t count = 0;
  for (const IdRange& range : ranges)
    count += static_cast<std::size_t>(range.last - range.first + 1);
  return count;
}

template <std::size_t Count, std::size_t N>
constexpr std::array<int, Count> ExpandIds(const IdRange (&ranges)[N]) {
  std::array<int, Count> ids{};
  std::size_t next = 0;
  for (const IdRange& range : ranges) {
    for (int id = range.first; id <= range.last; ++id) ids[next++] = id;
  }
  return ids;
}

// Runs of consecutive keys of "KB.DIALOG" (ids that share a run are used by arithmetic, such as
// the light mode names, or sit next to each other).
inline constexpr IdRange kDialogIdRanges[] = {
    {kOk, kApply},
    {kChangeBackgroundTip, kBackgroundRestoreDefault},
    {kTrayExit, kAbout},
    {kKnobDone, kKnobDone},
    {kShortcutCopy, kShortcutPaste},
    {kShortcutNew, kShortcutCut},
    {kShortcutSave, kShortcutOpen},
    {kTabHome, kHomeNoKeyboardAccessHint},
    {kProfileListTitle, kProfileDialogTitle},
    {kLightSwitch, kLightSelectAll},
    {kLightZone0ModeFirst, kLightCustomModeName},
    {kLightZone1ModeFirst, kLightZone1ModeLast},
    {kLightZone2ModeFirst, kLightZone2ModeLast},
    {kLightTabKeys, kLightTabLogo},
    {kLightSlotFirst, kLightSlotLast},
    {kKeyPageHint, kKeyRestoreKey},
    {kKeyRestoreLayerMessage, kMouseLeft},
    {kMouseMiddle, kMouseRight},
    {kMouseScrollUp, kMouseBack},
    {kNoKeySelectedMessage, kCombinationModifiers},
    {kMacroPlayModeLabel, kKeyTestHint},
    {kKeyNotStoredMessage, kKeyTablesUnknownMessage},
    {kMacroPlayCount, kMacroPlayToggle},
    {kShortcutShowDesktop, kShortcutSwitchWindow},
    {kShortcutSystemSleep, kMediaReadEmail},
    {kKnobTitle, kKnobAction2},
    {kMacroListTitle, kMacroFixedDelayLabel},
    {kMacroRecord, kMacroMoveDown},
    {kMacroInsertCaption, kMacroRecordHint},
    {kMacroKeyFieldTip, kMacroKeyFieldTip},
    {kMacroMemoryFullMessage, kMacroNoneSelectedMessage},
    {kMacroEventKindMouse, kMacroEventKindDelay},
    {kMacroInsertAtStart, kMacroInsertAtEnd},
    {kMacroEventMenuEdit, kMacroEventMenuClear},
    {kMacroInsertKeyPress, kMacroInsertDelay},
    {kMacroLimitMessage, kMacroLimitMessage},
    {kSettingsLanguage, kSettingsWasdSwap},
    {kCloseTipHideToTray, kSettingsAutorunMinimized},
    {kSoftwareUpdateCaption, kSettingsFirmwareTitle},
    {kFirmwareVersion, kFirmwareUpdateCaption},
    {kDownloading, kDownloading},
    {kRestoreFactoryCaption, kRestoreFactoryCaption},
    {kRestoreFactoryMessage, kRestoreFactoryMessage},
    {kEffectMusic, kEffectGame},
    {kEffectForeground, kEffectPictureHint},
    {kPatternFirst, kPatternOff},
    {kLcdScreensTitle, kLcdFontSize},
    {kLcdDelayLabel, kLcdDeleteFrameMessage},
    {kLcdUploading, kLcdUploading},
    {kLcdDeleteItemCaption, kLcdDelayDialogTitle},
    {kMatrixModeFirst, kMatrixDrawHint},
    {kMatrixPresetFirst, kMatrixPresetLast},
    {kUploadStart, kUploadNoGifScreen},
    {kUploadOpeningChannel, kUploadCountSuffix},
    {kUploadConverting, kUploadConvertFailed},
    {kUploadMeasuring, kUploadCannotOpenConverted},
    {kUploadWritingTable, kUploadTooManySuffix},
    {kUploadErasing, kUploadErased},
    {kUploadWriting, kUploadShortReadSuffix},
    {kUploadFinishing, kUploadUnusableImage},
    {kUploadTooManyGifs, kConverterCommand},
    {kScreenSaveBadScreen, kScreenSaveBadScreen},
    {kScreenSaveScreen, kScreenSavePreview},
    {kScreenSaveDone, kScreenSaveDone},
    {kDatabaseWriteFailedCaption, kBatteryLow},
    {kMacroRename, kMacroRecordingShared},
    {kMatrixSoundFollowing, kMatrixSoundNoOutput},
    {kPatternMatrixLights, kEffectFileFailed},
    {kLcdFrameCount, kLcdTextHint},
    {kAutorunNotWritten, kFirmwareUpdaterFailed},
};

}  // namespace detail

// Every key of section "KB.DIALOG" that each shipped table carries, in increasing order.
inline constexpr auto kDialogIds =
    detail::ExpandIds<detail::CountIds(detail::kDialogIdRanges)>(detail::kDialogIdRanges);

// Every key of section "CAPTION" that each shipped table carries.
inline constexpr std::array<int, 1> kCaptionIds = {kCaptionSettings};

}  // namespace text
