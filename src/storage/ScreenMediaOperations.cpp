#include "storage/RecordIo.h"
#include "storage/SettingsDatabase.h"
#include "storage/Sql.h"

namespace storage {
namespace {

// Screen images and media layers are shared by all profiles: they are kept under profile 1.
constexpr int kSharedProfile = 1;

constexpr int kInitialLayerType = 0;
constexpr int kInitialFrameCount = 0;

}  // namespace

using detail::ReadInt;
using detail::ReadRecord;
using detail::ReadRecords;
using detail::RunInsert;
using detail::RunWrite;

int SettingsDatabase::AddScreenImage(int frameSize, std::string_view fileName) {
  auto lock = Lock();
  return RunInsert(connection_, sql::kInsertScreenImage, kSharedProfile, frameSize, fileName);
}

bool SettingsDatabase::UpdateScreenImage(int tftId, int frameSize, std::string_view fileName) {
  auto lock = Lock();
  return RunWrite(connection_, sql::kUpdateScreenImage, frameSize, fileName, tftId);
}

int SettingsDatabase::ListScreenImages(std::vector<ScreenImageRecord>& list) {
  auto lock = Lock();
  return ReadRecords(connection_, list, sql::kSelectScreenImages, kSharedProfile);
}

// The layer's folder and first file start out as its name.
int SettingsDatabase::AddLedLayer(int profile, std::string_view name) {
  auto lock = Lock();
  return RunInsert(connection_, sql::kInsertLedLayer, profile, kInitialLayerType, name,
                   kInitialFrameCount, name, name);
}

bool SettingsDatabase::SetLedLayerFrameCount(int ledId, int frameSize) {
  auto lock = Lock();
  return RunWrite(connection_, sql::kUpdateLedLayerFrameCount, frameSize, ledId);
}

bool SettingsDatabase::SetLedLayerFirstFile(int ledId, std::string_view firstFile) {
  auto lock = Lock();
  return RunWrite(connection_, sql::kUpdateLedLayerFirstFile, firstFile, ledId);
}

bool SettingsDatabase::DeleteLedLayer(int ledId) {
  auto lock = Lock();
  SQLiteAutoTransaction transaction(&connection_);
  const bool layerDeleted = RunWrite(connection_, sql::kDeleteLedLayer, ledId);
  if (!DeleteLedFrames(ledId)) return false;
  return transaction.End() && layerDeleted;
}

bool SettingsDatabase::GetLedLayer(int ledId, LedLayerRecord& layer) {
  auto lock = Lock();
  return ReadRecord(connection_, layer, sql::kSelectLedLayer, ledId);
}

int SettingsDatabase::ListLedLayers(std::vector<LedLayerRecord>& list) {
  auto lock = Lock();
  return ReadRecords(connection_, list, sql::kSelectLedLayers, kSharedProfile);
}

int SettingsDatabase::InsertLedFrames(const std::vector<LedFrameRecord>& frames) {
  auto lock = Lock();
  SQLiteAutoTransaction transaction(&connection_);
  SQLiteStatement statement;
  for (const LedFrameRecord& f : frames) {
    detail::PrepareBindStep(connection_, statement, sql::kInsertLedFrame, f.led_id, f.name,
                            f.delay_time, f.frame_index, f.file_name);
  }
  statement.Finalize();
  transaction.End();
  return static_cast<int>(frames.size());
}

bool SettingsDatabase::DeleteLedFrames(int ledId) {
  auto lock = Lock();
  return RunWrite(connection_, sql::kDeleteLedFrames, ledId);
}

bool SettingsDatabase::ReplaceLedFrames(int ledId, const std::vector<LedFrameRecord>& frames) {
  auto lock = Lock();
  SQLiteAutoTransaction transaction(&connection_);
  if (!RunWrite(connection_, sql::kDeleteLedFrames, ledId)) return false;
  SQLiteStatement statement;
  for (std::size_t index = 0; index < frames.size(); ++index) {
    const LedFrameRecord& f = frames[index];
    const int result =
        detail::PrepareBindStep(connection_, statement, sql::kInsertLedFrame, ledId, f.name,
                                f.delay_time, static_cast<int>(index), f.file_name);
    if (!detail::IsOkStep(result)) return false;
  }
  statement.Finalize();
  const std::string firstFile = frames.empty() ? std::string() : frames.front().file_name;
  if (!RunWrite(connection_, sql::kUpdateLedLayerFrameCount, static_cast<int>(frames.size()),
                ledId) ||
      !RunWrite(connection_, sql::kUpdateLedLayerFirstFile, firstFile, ledId)) {
    return false;
  }
  return transaction.End();
}

int SettingsDatabase::ListLedFrames(int ledId, std::vector<LedFrameRecord>& list) {
  auto lock = Lock();
  return ReadRecords(connection_, list, sql::kSelectLedFrames, ledId);
}

int SettingsDatabase::CountLedFrames(int ledId) {
  auto lock = Lock();
  return ReadInt(connection_, sql::kCountLedFrames, ledId);
}

}  // namespace storage
