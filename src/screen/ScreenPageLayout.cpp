#include "screen/ScreenPageLayout.h"

#include <string>

#include "core/SharedState.h"
#include "core/TextIds.h"
#include "screen/ScreenMedia.h"
#include "ui/pages/ColorFields.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/PageParts.h"
#include "ui/tessel/ColorWheel.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/ImageView.h"
#include "ui/tessel/PageHost.h"
#include "ui/tessel/ThumbnailList.h"

using pages::AddCard;
using pages::Place;
using Tessel::Rect;

namespace screen {
namespace {

constexpr int kPage = ::ids::kPageArea + kPageScreen;

// Four cards right of the profile column: the screens, the editor, and on the right the
// library above the colours.
constexpr int kTop = 16;
constexpr int kHeight = 640;
constexpr Rect kScreensCard = Rect::FromSize(280, kTop, 232, kHeight);
constexpr Rect kEditorCard = Rect::FromSize(524, kTop, 524, kHeight);
constexpr Rect kLibraryCard = Rect::FromSize(1060, kTop, 316, 368);
constexpr Rect kColorCard = Rect::FromSize(1060, kTop + 380, 316, kHeight - 380);
constexpr int kInner = 20;
constexpr int kButtonHeight = 34;

// The editor: the tool row, the canvas at twice the screen's size, the text tool, the frames.
constexpr int kToolTop = 14;
constexpr int kCanvasTop = 58;
constexpr int kCanvasWidth = 2 * kScreenWidth;
constexpr int kCanvasHeight = 2 * kScreenHeight;
constexpr int kTextTop = kCanvasTop + kCanvasHeight + 12;
constexpr int kFramesTop = kTextTop + 70;
constexpr int kDefaultFontSize = 16;

void CreateScreensCard(Tessel::PageHost& window) {
  const int parent = ids::kScreensCard;
  AddCard(window, kPage, parent, kScreensCard);
  const int width = kScreensCard.Width() - 2 * kInner;
  Place<Tessel::MControlFont>(window, ids::kScreensTitle, parent,
                              Rect::FromSize(kInner, 12, width, 24), "card-title");
  auto* screens = Place<Tessel::ThumbnailList>(window, ids::kScreenList, parent,
                                               Rect::FromSize(kInner - 8, 46, width + 16, 470));
  screens->SetFlow(Tessel::ThumbnailList::Flow::kVertical);
  screens->SetTileSize(width + 16, 148);
  screens->SetAnimated(true);
  for (int screen = 0; screen < kScreenCount; ++screen) screens->AddPictureItem("", screen, "");
  screens->SetCurSel(0);
  Place<Tessel::MButton>(window, ids::kUploadButton, parent,
                         Rect::FromSize(kInner, 536, width, kButtonHeight), "primary");
  Place<Tessel::MButton>(window, ids::kClockButton, parent,
                         Rect::FromSize(kInner, 582, width, kButtonHeight));
}

void CreateTools(Tessel::PageHost& window) {
  const int parent = ids::kEditorCard;
  int x = kInner;
  for (int id : {ids::kPenTool, ids::kEraserTool, ids::kTextTool}) {
    auto* tool =
        Place<Tessel::CRadioButton>(window, id, parent, Rect::FromSize(x, kToolTop, 92, 32));
    tool->SetGroup(ids::kToolGroup);
    x += 96;
  }
  window.GetControl<Tessel::CRadioButton>(ids::kPenTool)->SetCheck(true);
  Place<Tessel::MButton>(window, ids::kUndoButton, parent, Rect::FromSize(x + 8, kToolTop, 88, 32));
  Place<Tessel::CCheckButton>(window, ids::kGridCheck, parent,
                              Rect::FromSize(kEditorCard.Width() - kInner - 96, kToolTop, 96, 32));
  Place<Tessel::ImageView>(window, ids::kCanvas, parent,
                           Rect::FromSize(kInner + 2, kCanvasTop, kCanvasWidth, kCanvasHeight));
}

void CreateTextTool(Tessel::PageHost& window) {
  const int parent = ids::kEditorCard;
  auto* text = Place<Tessel::MEdit>(window, ids::kTextEdit, parent,
                                    Rect::FromSize(kInner, kTextTop, 282, 32));
  text->SetMaxLength(64);
  Place<Tessel::MControlFont>(window, ids::kFontSizeLabel, parent,
                              Rect::FromSize(kInner + 296, kTextTop, 100, 32), "secondary")
      ->SetAlign(Tessel::TextAlign::Right);
  auto* size = Place<Tessel::MEdit>(window, ids::kFontSizeEdit, parent,
                                    Rect::FromSize(kInner + 404, kTextTop, 80, 32));
  size->SetMaxLength(3);
  size->SetEditText(std::to_string(kDefaultFontSize));
  Place<Tessel::MControlFont>(window, ids::kTextHint, parent,
                              Rect::FromSize(kInner, kTextTop + 36, 484, 20), "hint");
}

void CreateFrames(Tessel::PageHost& window) {
  const int parent = ids::kEditorCard;
  const int width = kEditorCard.Width() - 2 * kInner;
  Place<Tessel::MControlFont>(window, ids::kFramesTitle, parent,
                              Rect::FromSize(kInner, kFramesTop, 200, 22), "card-title");
  auto* frames = Place<Tessel::ThumbnailList>(window, ids::kFrameList, parent,
                                              Rect::FromSize(kInner, kFramesTop + 28, width, 100));
  frames->SetTileSize(92, 100);
  const int buttons = kFramesTop + 140;
  constexpr int kFrameButton = 126;
  int x = kInner;
  for (int id : {ids::kAddPictureButton, ids::kCopyFrameButton, ids::kDeleteFrameButton}) {
    Place<Tessel::MButton>(window, id, parent,
                           Rect::FromSize(x, buttons, kFrameButton, kButtonHeight));
    x += kFrameButton + 6;
  }
  Place<Tessel::MButton>(
      window, ids::kSaveButton, parent,
      Rect::FromSize(x + 4, buttons, kEditorCard.Width() - kInner - x - 4, kButtonHeight),
      "primary");
  auto* hint = Place<Tessel::MControlFont>(window, ids::kSaveHint, parent,
                                           Rect::FromSize(kInner, buttons + 42, width, 20), "hint");
  hint->SetAlign(Tessel::TextAlign::Right);
}

void CreateEditorCard(Tessel::PageHost& window) {
  AddCard(window, kPage, ids::kEditorCard, kEditorCard);
  CreateTools(window);
  CreateTextTool(window);
  CreateFrames(window);
}

void CreateLibraryCard(Tessel::PageHost& window) {
  const int parent = ids::kLibraryCard;
  AddCard(window, kPage, parent, kLibraryCard);
  const int width = kLibraryCard.Width() - 2 * kInner;
  Place<Tessel::MControlFont>(window, ids::kLibraryTitle, parent,
                              Rect::FromSize(kInner, 12, width, 24), "card-title");
  auto* library = Place<Tessel::ThumbnailList>(window, ids::kLibraryList, parent,
                                               Rect::FromSize(kInner - 6, 44, width + 12, 212));
  library->SetFlow(Tessel::ThumbnailList::Flow::kVertical);
  library->SetTileSize(width + 12, 62);
  // Two rows of two buttons: the words of every language fit.
  const int half = (width - 8) / 2;
  const int buttons[] = {ids::kImportButton, ids::kNewButton, ids::kDeleteButton,
                         ids::kExportButton};
  for (int i = 0; i < 4; ++i) {
    Place<Tessel::MButton>(
        window, buttons[i], parent,
        Rect::FromSize(kInner + (i % 2) * (half + 8), 268 + (i / 2) * 42, half, kButtonHeight));
  }
}

void CreateColorCard(Tessel::PageHost& window) {
  AddCard(window, kPage, ids::kColorCard, kColorCard);
  // The page gives the presets their colours.
  pages::CreateColorCardControls(
      window,
      {.card = ids::kColorCard,
       .title = ids::kColorTitle,
       .fields = {ids::kColorWheel, ids::kRedEdit, ids::kGreenEdit, ids::kBlueEdit},
       .redLabel = ids::kRedLabel,
       .greenLabel = ids::kGreenLabel,
       .blueLabel = ids::kBlueLabel,
       .presetLabel = ids::kPresetLabel,
       .firstPreset = ids::kFirstPreset,
       .cardWidth = kColorCard.Width(),
       .firstFieldTop = 40,
       .fieldMaxLength = 3,
       .presetLabelTop = 188,
       .presetTop = 212,
       .presetSide = 30,
       .presetStep = 38},
      {}, ids::kPresetCount);
}

}  // namespace

void CreateScreenPageControls(Tessel::PageHost& window) {
  CreateScreensCard(window);
  CreateEditorCard(window);
  CreateLibraryCard(window);
  CreateColorCard(window);
}

std::vector<TextBinding> ScreenPageTextBindings() {
  return {
      {ids::kScreensTitle, text::kLcdScreensTitle},
      {ids::kScreenList, text::kLcdScreen1, TextTarget::Item, 0},
      {ids::kScreenList, text::kLcdScreen2, TextTarget::Item, 1},
      {ids::kScreenList, text::kLcdScreen3, TextTarget::Item, 2},
      {ids::kUploadButton, text::kLcdUpload},
      {ids::kClockButton, text::kLcdSyncClock},
      {ids::kPenTool, text::kLcdPen},
      {ids::kEraserTool, text::kLcdEraser},
      {ids::kTextTool, text::kLcdText},
      {ids::kUndoButton, text::kLcdUndo},
      {ids::kGridCheck, text::kLcdGrid},
      {ids::kFontSizeLabel, text::kLcdFontSize},
      {ids::kTextHint, text::kLcdTextHint},
      {ids::kFramesTitle, text::kLcdFramesTitle},
      {ids::kAddPictureButton, text::kLcdAddPicture},
      {ids::kCopyFrameButton, text::kLcdCopyFrame},
      {ids::kDeleteFrameButton, text::kLcdDeleteFrame},
      {ids::kSaveButton, text::kLcdSave},
      {ids::kLibraryTitle, text::kLcdLibraryTitle},
      {ids::kImportButton, text::kLcdImport},
      {ids::kNewButton, text::kLcdNew},
      {ids::kDeleteButton, text::kLcdDelete},
      {ids::kExportButton, text::kLcdExport},
      {ids::kColorTitle, text::kLightColor},
      {ids::kRedLabel, text::kColorRed},
      {ids::kGreenLabel, text::kColorGreen},
      {ids::kBlueLabel, text::kColorBlue},
      {ids::kPresetLabel, text::kLightPresetColors},
  };
}

}  // namespace screen
