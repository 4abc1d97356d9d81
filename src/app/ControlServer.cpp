#include "app/ControlServer.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

#include "app/ControlCommands.h"
#include "app/KeyboardDlg.h"
#include "base/Log.h"
#include "core/ThreadCheck.h"
#include "ui/tessel/Manager.h"

using cli::Answer;
using cli::Reason;

// Everything the server's closures share. The UI thread owns the controller side; the mutex
// guards what the socket's thread and the worker touch: whether the server is open, and the
// answers the socket's thread waits for.
class ControlServer::Core : public std::enable_shared_from_this<Core> {
 public:
  explicit Core(KeyboardDlg& dialog) : dialog_(dialog), backend_(Tessel::Manager::GetBackend()) {}

  // UI thread: requests wait until every task queued before now (the start-up) has finished.
  void Start() {
    dialog_.Tasks().WhenAppendedFinished(
        [core = shared_from_this()](bool) { core->Post([core] { core->OnStarted(); }); });
  }

  // UI thread.
  void Close() {
    std::vector<Pending> waiting;
    {
      std::lock_guard lock(mutex_);
      closed_ = true;
      waiting.swap(waitingForStart_);
    }
    answered_.notify_all();
    for (Pending& pending : waiting) pending.reply(Closing());
  }

  void Execute(cli::Request request, std::function<void(Answer)> reply) {
    TARVO_EXPECT_UI_THREAD();
    if (IsClosed()) {
      reply(Closing());
      return;
    }
    if (!started_) {
      std::lock_guard lock(mutex_);
      waitingForStart_.push_back({std::move(request), std::move(reply)});
      return;
    }
    Run(request, std::move(reply));
  }

  std::string AnswerLine(const std::string& line) {
    cli::DecodedRequest decoded = cli::DecodeRequest(line);
    if (!decoded.request) return cli::EncodeAnswer(decoded.failure);
    auto slot = std::make_shared<std::optional<Answer>>();
    std::unique_lock lock(mutex_);
    if (closed_ || backend_ == nullptr) return cli::EncodeAnswer(Closing());
    backend_->Post([core = shared_from_this(), slot, request = std::move(*decoded.request)] {
      if (core->IsClosed()) return;
      core->Execute(request, [core, slot](Answer answer) { core->Fill(*slot, std::move(answer)); });
    });
    answered_.wait_for(lock, kCommandTime, [&] { return slot->has_value() || closed_; });
    if (slot->has_value()) return cli::EncodeAnswer(**slot);
    if (closed_) return cli::EncodeAnswer(Closing());
    return cli::EncodeAnswer(Answer::Failure(
        Reason::kTimeout,
        "the keyboard did not finish within " + std::to_string(kCommandTime.count()) + " seconds"));
  }

 private:
  struct Pending {
    cli::Request request;
    std::function<void(Answer)> reply;
  };

  static Answer Closing() { return Answer::Failure(Reason::kClosing, "Tarvo is closing"); }

  bool IsClosed() {
    std::lock_guard lock(mutex_);
    return closed_;
  }

  // Posts work to the UI thread while the server is open; the work finds it closed or open.
  void Post(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    if (!closed_ && backend_ != nullptr) backend_->Post(std::move(work));
  }

  void Fill(std::optional<Answer>& slot, Answer answer) {
    {
      std::lock_guard lock(mutex_);
      slot = std::move(answer);
    }
    answered_.notify_all();
  }

  void OnStarted() {
    if (IsClosed() || started_) return;
    started_ = true;
    std::vector<Pending> waiting;
    {
      std::lock_guard lock(mutex_);
      waiting.swap(waitingForStart_);
    }
    for (Pending& pending : waiting) Run(pending.request, std::move(pending.reply));
  }

  // UI thread: the command, and its answer when the keyboard has what it changed.
  void Run(const cli::Request& request, std::function<void(Answer)> reply) {
    const cli::Match match = cli::MatchCommand(request);
    const CommandHandler handler =
        match.command != nullptr ? FindCommandHandler(match.command->words) : nullptr;
    std::optional<Answer> refused;
    if (!match.error.empty()) {
      refused = Answer::Failure(Reason::kUsage, match.error);
    } else if (handler == nullptr) {
      refused = Answer::Failure(
          Reason::kUsage, "this Tarvo has no command '" + std::string(match.command->words) + "'");
    } else if (!dialog_.IsWindowEnabled()) {
      refused = Answer::Failure(Reason::kBusy, "Tarvo is busy (a factory reset runs); try again");
    }
    if (refused) {
      Post([reply, answer = *refused] { reply(answer); });
      return;
    }
    base::DebugLog("tarvoctl: %s", match.command->words);
    DeviceTaskQueue& tasks = dialog_.Tasks();
    const DeviceTaskQueue::Sequence before = tasks.LastAppended();
    DeviceTaskQueue::Watch watch = tasks.BeginWatch();
    CommandOutcome outcome = handler(CommandCall{dialog_, *match.command, match.arguments});
    if (!outcome.afterTasks) {
      Post([reply, answer = std::move(outcome.answer)] { reply(answer); });
      return;
    }
    const DeviceTaskQueue::Sequence waited = tasks.LastAppended();
    auto finished = [core = shared_from_this(), outcome = std::move(outcome), reply,
                     waited](bool allRan) {
      core->Post([core, outcome, reply, allRan, waited] {
        core->Answered(outcome, reply, allRan, waited);
      });
    };
    if (waited == before) {
      // The change joined a task that was already waiting (rooms merge a burst of changes into
      // one task): the answer waits for the tasks queued before it.
      tasks.WhenAppendedFinished(std::move(finished));
    } else {
      tasks.EndWatch(watch, std::move(finished));
    }
  }

  // UI thread: the tasks a command waited for, up to `waited`, have finished.
  void Answered(const CommandOutcome& outcome, const std::function<void(Answer)>& reply,
                bool allRan, DeviceTaskQueue::Sequence waited) {
    if (IsClosed()) return;
    DeviceTaskQueue& tasks = dialog_.Tasks();
    const DeviceTaskQueue::Sequence last = tasks.LastAppended();
    if (allRan && last > waited && outcome.stillSending && outcome.stillSending()) {
      // A task that ran meanwhile queued another for what remained: wait for that one too.
      tasks.WhenAppendedFinished([core = shared_from_this(), outcome, reply, last](bool ran) {
        core->Post(
            [core, outcome, reply, ran, last] { core->Answered(outcome, reply, ran, last); });
      });
      return;
    }
    reply(allRan ? outcome.afterTasks() : Answer::Failure(Reason::kOffline, outcome.whenDropped));
  }

  KeyboardDlg& dialog_;
  Tessel::Backend* const backend_;
  bool started_ = false;  // UI thread

  std::mutex mutex_;
  std::condition_variable answered_;
  bool closed_ = false;
  std::vector<Pending> waitingForStart_;
};

ControlServer::ControlServer(KeyboardDlg& dialog) : core_(std::make_shared<Core>(dialog)) {
  TARVO_EXPECT_UI_THREAD();
  core_->Start();
}

ControlServer::~ControlServer() {
  core_->Close();
}

void ControlServer::Execute(cli::Request request, std::function<void(cli::Answer)> reply) {
  core_->Execute(std::move(request), std::move(reply));
}

platform::CommandSocket::Handler ControlServer::Handler() const {
  return [core = core_](const std::string& line) { return core->AnswerLine(line); };
}
