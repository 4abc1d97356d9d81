#include "app/ScreenCommands.h"

#include <filesystem>
#include <fstream>

#include "app/KeyboardDlg.h"
#include "screen/ScreenLibrary.h"

namespace {

using base::Json;
using cli::Answer;
using cli::Reason;
namespace fs = std::filesystem;

constexpr const char* kBusy = "the keyboard is busy with another task; try again";

screen::ScreenLibrary& Library(KeyboardDlg& dialog) {
  // The library follows the selected model, also before its page was ever shown.
  dialog.Screen().UpdatePlace();
  return dialog.Screen().Service().Library();
}

Json ItemJson(const screen::LibraryItem& item) {
  return Json::MakeObject()
      .Set("id", item.ledId)
      .Set("name", item.name)
      .Set("frames", item.frameCount);
}

// An animation by its number, or else by its name. Names that could not name a folder of the
// library are refused before anything is looked up.
std::variant<screen::LibraryItem, Answer> FindItem(KeyboardDlg& dialog, const std::string& word) {
  screen::ScreenLibrary& library = Library(dialog);
  if (!screen::IsPlainFolderName(word)) {
    return Answer::Failure(Reason::kInvalidValue, "not an animation name: '" + word + "'");
  }
  if (const std::optional<int> id = cli::ParseNumber(word)) {
    if (std::optional<screen::LibraryItem> item = library.FindItem(*id)) return *item;
  }
  for (const screen::LibraryItem& item : library.ListItems()) {
    if (item.name == word) return item;
  }
  return Answer::Failure(Reason::kNotFound, "no such animation: " + word);
}

}  // namespace

CommandOutcome ScreenList(const CommandCall& call) {
  Json items = Json::MakeArray();
  for (const screen::LibraryItem& item : Library(call.dialog).ListItems()) {
    items.Push(ItemJson(item));
  }
  return CommandOutcome::Now(Answer::Success(Json::MakeObject().Set("items", std::move(items))));
}

CommandOutcome ScreenShow(const CommandCall& call) {
  Json screens = Json::MakeArray();
  for (const screen::ScreenEntry& entry : Library(call.dialog).ListScreens()) {
    const char* source = entry.gif.empty() ? "none" : entry.userChoice ? "user" : "factory";
    screens.Push(Json::MakeObject()
                     .Set("screen", entry.screen + 1)
                     .Set("source", source)
                     .Set("gif", entry.gif.empty() ? Json() : Json(entry.gif.string()))
                     .Set("frames", entry.frameCount));
  }
  return CommandOutcome::Now(
      Answer::Success(Json::MakeObject().Set("screens", std::move(screens))));
}

CommandOutcome ScreenImport(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const std::string& file = call.arguments[0];
  if (std::optional<Answer> problem = FileProblem(file)) return CommandOutcome::Now(*problem);
  std::error_code error;
  if (!fs::is_regular_file(file, error) || !std::ifstream(file)) {
    return CommandOutcome::Now(Answer::Failure(Reason::kFile, "cannot read " + file));
  }
  if (std::optional<Answer> problem = KeyboardProblem(dialog)) return CommandOutcome::Now(*problem);
  Library(dialog);
  screen::ScreenPage& page = dialog.Screen().Page();
  if (!page.StartImport(file)) return CommandOutcome::Now(Answer::Failure(Reason::kBusy, kBusy));
  return CommandOutcome::AfterTasks(
      [&dialog, file] {
        const auto& imported = dialog.Screen().Page().LastImport();
        if (!imported || !imported->ran || !imported->result.done) {
          const std::string why = imported ? imported->result.problem : std::string();
          return Answer::Failure(Reason::kFile, file + " cannot be used as a picture or an " +
                                                    "animation" + (why.empty() ? "" : ": " + why));
        }
        const std::optional<screen::LibraryItem> item =
            Library(dialog).FindItem(imported->result.ledId);
        const Json shown = item ? ItemJson(*item) : Json();
        return Answer::Success(
            Json::MakeObject()
                .Set("message", "imported as animation " + std::to_string(imported->result.ledId) +
                                    (item ? " (" + std::to_string(item->frameCount) + " frames)"
                                          : std::string()))
                .Set("item", shown));
      },
      "the keyboard went away before the file was imported");
}

CommandOutcome ScreenSet(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const std::optional<int> number = cli::ParseNumber(call.arguments[0]);
  if (!number || *number < 1 || *number > screen::kScreenCount) {
    return CommandOutcome::Now(Answer::Failure(
        Reason::kInvalidValue, "SCREEN is 1, 2 or 3, not '" + call.arguments[0] + "'"));
  }
  const std::variant<screen::LibraryItem, Answer> found = FindItem(dialog, call.arguments[1]);
  if (const Answer* failure = std::get_if<Answer>(&found)) return CommandOutcome::Now(*failure);
  const screen::LibraryItem& item = std::get<screen::LibraryItem>(found);
  screen::ScreenPage& page = dialog.Screen().Page();
  page.SelectScreen(*number - 1);
  page.SelectLibraryItem(item.ledId);
  const screen::LibraryOutcome saved = page.SaveLibraryItem();
  if (!saved.done) {
    return CommandOutcome::Now(Answer::Failure(
        Reason::kFailed,
        "animation " + std::to_string(item.ledId) + " was not set: " + saved.problem));
  }
  return CommandOutcome::Now(Answer::Success(
      Json::MakeObject()
          .Set("message", "screen " + std::to_string(*number) + " shows animation " +
                              std::to_string(item.ledId) + " (sent with the next upload)")
          .Set("screen", *number)
          .Set("item", ItemJson(item))));
}

CommandOutcome ScreenUpload(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  if (std::optional<Answer> problem = KeyboardProblem(dialog)) return CommandOutcome::Now(*problem);
  Library(dialog);
  if (!dialog.Screen().Page().StartUpload())
    return CommandOutcome::Now(Answer::Failure(Reason::kBusy, kBusy));
  return CommandOutcome::AfterTasks(
      [&dialog] {
        const screen::ScreenPage& page = dialog.Screen().Page();
        const auto& upload = page.LastUpload();
        if (!upload || !upload->ran)
          return Answer::Failure(Reason::kFailed, "the upload did not run");
        const screen::UploadResult& result = upload->result;
        if (!result.Succeeded())
          return Answer::Failure(Reason::kFailed, page.UploadProblem(result));
        Json images = Json::MakeArray();
        std::string screens;
        for (const screen::ImageReport& image : result.images) {
          images.Push(Json::MakeObject()
                          .Set("screen", image.screen + 1)
                          .Set("source", image.source.string())
                          .Set("bytes", static_cast<std::int64_t>(image.bytes)));
          screens += (screens.empty() ? "" : ", ") + std::to_string(image.screen + 1);
        }
        return Answer::Success(Json::MakeObject()
                                   .Set("message", "uploaded the animations of screens " + screens)
                                   .Set("images", std::move(images)));
      },
      "the keyboard went away before the upload began");
}

CommandOutcome ScreenClock(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  if (std::optional<Answer> problem = KeyboardProblem(dialog)) return CommandOutcome::Now(*problem);
  if (!dialog.Screen().Page().StartClockSync())
    return CommandOutcome::Now(Answer::Failure(Reason::kBusy, kBusy));
  return CommandOutcome::AfterTasks(
      [&dialog] {
        const auto& clock = dialog.Screen().Page().LastClockSync();
        if (!clock || !clock->ran || clock->result != screen::ScreenStatus::kDone) {
          return Answer::Failure(Reason::kFailed,
                                 "the screen's clock was not set: the keyboard's screen channel "
                                 "did not answer");
        }
        return Answer::Success(
            Json::MakeObject().Set("message", "the screen's clock is set to this computer's time"));
      },
      "the keyboard went away before its clock was set");
}
