#pragma once
// The key test beside the key page's function card: while the key page is shown (and no key
// capture or recording has paused it) every key and mouse button held down shows in its list,
// from the keyboard as from other programs where the input source sees them. UI thread.

#include "keys/InputRouter.h"
#include "keys/KeyTest.h"

namespace Tessel {
class PageHost;
}

namespace keys {

class KeyTestPage {
 public:
  KeyTestPage(Tessel::PageHost& host, InputRouter& input, const core::TextTable& texts);

  // Starts (again) with an empty list: nothing held earlier counts as held.
  void StartKeyTest();
  // Stops and empties the list.
  void StopKeyTest();
  bool Running() const { return listening_.Active(); }
  // One event of the input source (the subscription delivers them; tests may too).
  void OnRawInput(const platform::input::InputEvent& event);

 private:
  void ClearList();

  Tessel::PageHost& host_;
  InputRouter& input_;
  KeyTestState state_;
  InputRouter::Subscription listening_;
};

}  // namespace keys
