#pragma once
// In-memory rows of the settings database. Field names are the column names; texts are
// UTF-8, every other field is a 32-bit signed integer.

#include <string>

namespace storage {

struct ProfileRecord {
  int profile = 0;
  std::string name{};
  std::string app{};
  std::string icon_image{};
  std::string bkg_image{};
  int type = 0;
  int status = 0;  // 1 for the active profile
};

struct MusicLayerRecord {
  int layer_id = 0;
  int profile = 0;
  std::string name{};
  int deviceindex = 0;
  int foremode = 0;
  int fore_amplitude = 0;
  int backmode = 0;
  int backb_right = 0;
  int light_right = 0;
};

struct KeyAssignmentRecord {
  int key_id = 0;
  int profile = 0;
  int fn_layer = 0;
  int key_code = 0;
  int layout_value = 0;
  std::string layout_desc{};
  int macro_type = 0;
  int macro_value = 0;
  int macro_value2 = 0;
  int macro_value3 = 0;
  std::string macro_desc{};
};

struct ScreenImageRecord {
  int tft_id = 0;
  int profile = 0;
  int frame_size = 0;
  std::string file_name{};
};

struct LedLayerRecord {
  int led_id = 0;
  int profile = 0;
  int type = 0;
  std::string name{};
  int frame_size = 0;
  std::string file_dir{};
  std::string first_file{};
};

struct LedFrameRecord {
  int frame_id = 0;
  int led_id = 0;
  std::string name{};
  int delay_time = 0;
  int frame_index = 0;
  std::string file_name{};
};

struct LightSettingRecord {
  int light_id = 0;
  int profile = 0;
  std::string name{};
  int type = 0;
  int mode = 0;
  int brightness = 0;
  int speed = 0;
  int direction = 0;
  int colorful = 0;
  int colorindex = 0;
  int color_value = 0;  // 0x00BBGGRR
  int config_func = 0;
  int reserved = 0;
  int status = 0;  // 1 for the active mode of its profile and effect type
};

struct UserLightColorRecord {
  int userlightrgb_id = 0;
  int profile = 0;
  int userlight_id = 0;
  int key_code = 0;
  int key_rgb = 0;  // 0x00BBGGRR
};

struct MacroRecord {
  int macro_id = 0;
  std::string name{};
  int play_type = 0;
  int play_times = 0;
  int delay_type = 0;
  int delay_time = 0;
};

struct MacroStepRecord {
  int record_id = 0;
  int macro_id = 0;
  int type = 0;
  int record_index = 0;
  int value = 0;
  int delay_time = 0;
  std::string desc{};
};

}  // namespace storage
