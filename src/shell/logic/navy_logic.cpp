#include "shell/logic/navy_logic.h"

#include "convert/roads/road_table.h"
#include "platform/user_regional_settings.h"
#include "shell/logic/window_texts.h"

namespace tessaline {

NavyServices NavyServices::Default() {
  NavyServices services;
  services.staging = DefaultStagingLocation();
  services.regional = UserRegionalSettings();
  return services;
}

NavyLogic::NavyLogic(NavyPort& port, NavyServices services, PixelScale scale)
    : port_(port), services_(std::move(services)), host_(port, services_.files), scale_(scale) {
  host_.SetMessagePresenter(services_.present_message);
  Clock& clock = services_.clock != nullptr ? *services_.clock : system_clock_;
  RoadServices roads{services_.regional, &clock, services_.staging, std::nullopt};
  roads.second = &picture_;
  roads_ = std::make_unique<Roads>(host_, roads);
}

NavyLogic::~NavyLogic() = default;

void NavyLogic::Load() {
  sens_conversion_ = true;
  SelectLabel(ControlId::Label1);
}

// The chosen direction shows white on black, the other black on the
// panel's light cyan; text colour first, then background.
void NavyLogic::SelectLabel(ControlId label) {
  port_.SetTextColor(label, kWhiteBgr);
  port_.SetFill(label, kBlackBgr);
}

void NavyLogic::UnselectLabel(ControlId label) {
  port_.SetTextColor(label, kBlackBgr);
  port_.SetFill(label, kLightCyanBgr);
}

void NavyLogic::Label1Clicked() {
  SelectLabel(ControlId::Label1);
  UnselectLabel(ControlId::Label2);
  sens_conversion_ = true;
}

void NavyLogic::Label2Clicked() {
  SelectLabel(ControlId::Label2);
  UnselectLabel(ControlId::Label1);
  sens_conversion_ = false;
}

void NavyLogic::HoverLabel3() {
  port_.SetBold(ControlId::Label3, true);
  port_.SetBold(ControlId::Label4, false);
}

void NavyLogic::HoverLabel4() {
  port_.SetBold(ControlId::Label4, true);
  port_.SetBold(ControlId::Label3, false);
}

void NavyLogic::HoverSurface() {
  port_.SetBold(ControlId::Label3, false);
  port_.SetBold(ControlId::Label4, false);
}

void NavyLogic::CmdOkClicked() {
  host_.HideCompletion();
  for (int step = 1; step <= 4; ++step) port_.SetFill(StepIndicator(step), kRedBgr);
  port_.SetCaption(ControlId::LblFichiers, window_texts::kReady);
  port_.SetCaption(ControlId::LblDetails, "");
  port_.SetCaption(ControlId::LblStatus, window_texts::kWaiting);
  if (state_ == NavyState::Done) state_ = NavyState::Idle;
}

void NavyLogic::Dropped(std::vector<std::string> paths) {
  if (!AcceptsDrops()) return;
  pending_.clear();
  for (std::string& path : paths) pending_.push_back({std::move(path)});
  if (pending_.empty()) pending_.push_back({std::string()});
  StartConversions();
}

void NavyLogic::Opened(std::vector<std::string> paths, Request request) {
  if (paths.empty() || Closing()) return;
  for (std::string& path : paths) pending_.push_back({std::move(path), false, request});
  // The conversion running takes them once its own files are done.
  if (state_ == NavyState::Converting) return;
  StartConversions();
}

void NavyLogic::StartConversions() {
  host_.ClearCompletionNotes();
  fichier_depose_ = pending_.front().path;
  port_.SetVisible(ControlId::Label1, false);
  port_.SetVisible(ControlId::Label2, false);
  state_ = NavyState::Converting;
  // Converting only once the event that brought the files has returned, so
  // that the program they came from is not kept waiting meanwhile.
  port_.ScheduleConversion();
}

void NavyLogic::RunDroppedFiles() {
  if (state_ != NavyState::Converting) return;
  bool first = true;
  while (!pending_.empty() && !host_.StopRequested()) {
    const PendingFile file = pending_.front();
    pending_.pop_front();
    // Files opened while a completion showed start from a clean panel too.
    if (!first || host_.CompletionShown()) CmdOkClicked();
    first = false;
    fichier_depose_ = file.path;
    ConvertOne(file);
  }
  pending_.clear();

  fichier_depose_.clear();
  port_.SetVisible(ControlId::Label1, true);
  port_.SetVisible(ControlId::Label2, true);
  state_ = host_.CompletionShown() ? NavyState::Done : NavyState::Idle;
  if (end_after_conversion_) {
    ending_ = true;
    port_.EndProgram();
  }
}

// The one place a file meets a converter: the tables of roads, under the
// direction the labels show, or under the opened file's request, its road
// decided once. An opened file whose road is one of the two directions
// selects it first, as a user would have before dropping it: the window's
// direction gives that same road.
void NavyLogic::ConvertOne(const PendingFile& file) {
  picture_.Clear();
  // The completion shows before its picture is made: never with the
  // previous file's meanwhile.
  if (thumbnail_shown_) ShowThumbnail();
  ConversionOutcome outcome;
  if (file.dropped) {
    outcome = roads_->Convert(file.path, sens_conversion_ ? Request::DeviceToChart : Request::WindowToDevice);
  } else {
    const RoadDescriptor& road = roads_->Decide(file.path, file.request);
    if (file.request == Request::ByFile) {
      if (road.road == Road::DeviceToChart) {
        Label1Clicked();
      } else {
        Label2Clicked();
      }
    }
    outcome = roads_->Convert(file.path, road);
  }
  if (outcome == ConversionOutcome::Completed) ShowThumbnail();
}

// Above the caption, the button's width less a margin, 60 pixels high at
// 96 dots per inch.
void NavyLogic::ShowThumbnail() {
  const PixelRect button = scale_.Box(RowOf(ControlId::CmdOK));
  const int margin = scale_.Scaled(4);
  const PixelRect box{margin, margin, button.width - 2 * margin, scale_.Scaled(60)};
  const picture::Thumbnail thumbnail =
      picture::ThumbnailOf(picture_.Build(), box.left, box.top, box.width, box.height);
  thumbnail_shown_ = !thumbnail.Empty();
  port_.SetThumbnail(ControlId::CmdOK, thumbnail, box);
}

void NavyLogic::CloseRequested() {
  if (state_ == NavyState::Converting) {
    end_after_conversion_ = true;
    host_.RequestStop();
    port_.HideWindow();
    return;
  }
  ending_ = true;
  port_.EndProgram();
}

}  // namespace tessaline
