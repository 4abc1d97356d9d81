#include "ui/tessel/Dialogs.h"

#include <mutex>

#include "ui/tessel/Controls.h"
#include "ui/tessel/Manager.h"

namespace Tessel {
namespace {

struct ButtonTitles {
  std::mutex mutex;
  std::string ok = "OK";
  std::string cancel = "Cancel";
};

ButtonTitles& Titles() {
  static ButtonTitles titles;
  return titles;
}

}  // namespace

void CUIMessageBox::SetButtonTitles(std::string ok, std::string cancel) {
  std::lock_guard lock(Titles().mutex);
  if (!ok.empty()) Titles().ok = std::move(ok);
  if (!cancel.empty()) Titles().cancel = std::move(cancel);
}

CUIMessageBox::CUIMessageBox(std::string caption, std::string text, bool withCancel)
    : MDialog(kWindowName),
      caption_(std::move(caption)),
      text_(std::move(text)),
      withCancel_(withCancel) {}

int CUIMessageBox::Show(MWindow* parent, const std::string& caption, const std::string& text,
                        bool withCancel) {
  CUIMessageBox box(caption, text, withCancel);
  box.Create(parent, caption, Rect::FromSize(0, 0, 440, 220));
  box.CenterWindow();
  const int result = box.ShowModal(kShow);
  box.DestroyWindow();
  return result == kResultOK ? kResultOK : kResultCancel;
}

void CUIMessageBox::CreateControls() {
  auto* caption = Add<MControlFont>(kCaptionId);
  caption->SetRect(Rect::FromSize(24, 18, 360, 28));
  caption->SetTitle(caption_);
  caption->SetStyle("dialog-caption");
  auto* close = Add<MButton>(kCloseId);
  close->SetRect(Rect::FromSize(400, 14, 28, 28));
  close->SetStyle("window-close");
  auto* text = Add<MControlFont>(kTextId);
  text->SetRect(Rect::FromSize(24, 58, 392, 90));
  text->SetTitle(text_);
  text->SetWordWrap(true);
  std::string okTitle, cancelTitle;
  {
    std::lock_guard lock(Titles().mutex);
    okTitle = Titles().ok;
    cancelTitle = Titles().cancel;
  }
  auto* ok = Add<MButton>(kOkId);
  ok->SetStyle("primary");
  ok->SetTitle(okTitle);
  if (withCancel_) {
    auto* cancel = Add<MButton>(kCancelId);
    cancel->SetTitle(cancelTitle);
    cancel->SetRect(Rect::FromSize(316, 166, 100, 34));
    ok->SetRect(Rect::FromSize(204, 166, 100, 34));
  } else {
    ok->SetRect(Rect::FromSize(316, 166, 100, 34));
  }
}

void CUIMessageBox::OnControlEvent(int id, int code, std::intptr_t, std::intptr_t) {
  if (code != kEventClick) return;
  if (id == kOkId) DoOK();
  if (id == kCancelId || id == kCloseId) DoCancel();
}

MenuWnd::MenuWnd(MWindow& owner, unsigned message) : owner_(owner), message_(message) {}

void MenuWnd::AddItem(int id, std::string text, bool checked) {
  items_.push_back({id, std::move(text), checked});
}

int MenuWnd::Track() {
  Backend* backend = Manager::GetBackend();
  if (backend == nullptr) return 0;
  DialogRequest request;
  request.kind = DialogRequest::Kind::Menu;
  request.window = &owner_;
  request.items = items_;
  const int chosen = backend->Ask(request).result;
  bool known = false;
  for (const MenuItem& item : items_) known = known || item.id == chosen;
  if (!known) return 0;
  owner_.PostMessage(message_, chosen, chosen);
  return chosen;
}

namespace {

std::optional<std::string> AskFile(DialogRequest::Kind kind, MWindow* parent,
                                   const std::string& title, const std::string& filter,
                                   const std::string& suggestedName) {
  Backend* backend = Manager::GetBackend();
  if (backend == nullptr) return std::nullopt;
  DialogRequest request;
  request.kind = kind;
  request.window = parent;
  request.caption = title;
  request.filter = filter;
  request.text = suggestedName;
  DialogAnswer answer = backend->Ask(request);
  if (answer.path.empty()) return std::nullopt;
  return answer.path;
}

}  // namespace

std::optional<std::string> AskOpenFile(MWindow* parent, const std::string& title,
                                       const std::string& filter) {
  return AskFile(DialogRequest::Kind::OpenFile, parent, title, filter, {});
}

std::optional<std::string> AskSaveFile(MWindow* parent, const std::string& title,
                                       const std::string& filter,
                                       const std::string& suggestedName) {
  return AskFile(DialogRequest::Kind::SaveFile, parent, title, filter, suggestedName);
}

std::optional<Color> AskColor(MWindow* parent, Color initial) {
  Backend* backend = Manager::GetBackend();
  if (backend == nullptr) return std::nullopt;
  DialogRequest request;
  request.kind = DialogRequest::Kind::ColorPicker;
  request.window = parent;
  request.color = initial;
  DialogAnswer answer = backend->Ask(request);
  if (answer.result != kResultOK) return std::nullopt;
  return answer.color & 0xFFFFFF;
}

}  // namespace Tessel
