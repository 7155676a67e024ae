#include "convert/roads/roads.h"

#include <exception>
#include <new>

#include "convert/chart_to_device/chart_to_device_converter.h"
#include "convert/gpx/gpx_conversions.h"
#include "convert/messages.h"

namespace tessaline {

Roads::Roads(Host& host, RoadServices services)
    : host_(host),
      services_(std::move(services)),
      device_to_chart_(std::make_unique<DeviceToChartConverter>(host_, services_.regional, *services_.clock,
                                                                services_.staging, OtherBudget())) {}

PointBudget Roads::DeviceBudget() const {
  return PointBudget::ForDevice(services_.points, services_.regional.decimal_mark);
}

PointBudget Roads::OtherBudget() const { return PointBudget{services_.points, services_.regional.decimal_mark}; }

Roads::~Roads() = default;

const char* Roads::MessageOf(Road road) {
  switch (road) {
    case Road::DeviceToChart: return messages::kDeviceToChartError;
    case Road::ChartToDevice: return messages::kChartToDeviceError;
    case Road::GpxToDevice:
    case Road::GpxToChart:
    case Road::DeviceToGpx:
    case Road::ChartToGpx:
    case Road::AlreadyGpx: break;
  }
  return messages::kGpxError;
}

ConversionOutcome Roads::Run(Road road, const std::string& path) {
  switch (road) {
    case Road::DeviceToChart: return device_to_chart_->ConvertDeviceToChart(path);
    case Road::ChartToDevice: return ConvertChartToDevice(host_, path, DeviceBudget());
    case Road::GpxToDevice: return gpx::ConvertGpxToDevice(host_, path, DeviceBudget());
    case Road::GpxToChart:
      return gpx::ConvertGpxToChart(host_, path, services_.regional, *services_.clock, OtherBudget());
    case Road::DeviceToGpx: return gpx::ConvertDeviceToGpx(host_, path, OtherBudget());
    case Road::ChartToGpx: return gpx::ConvertChartToGpx(host_, path, OtherBudget());
    case Road::AlreadyGpx: break;
  }
  host_.ShowMessage(messages::kGpxError, MessageIcon::Error, ConversionNotes{path, messages::kAlreadyGpx, "", {}});
  return ConversionOutcome::Failed;
}

ConversionOutcome Roads::Convert(const std::string& path, Request request) {
  Road road = Road::ChartToDevice;
  try {
    road = RoadOf(host_.Files(), path, request);
    return Run(road, path);
  } catch (const std::bad_alloc&) {
    host_.ShowMessage(MessageOf(road), MessageIcon::Error, ConversionNotes{path, messages::kOutOfMemory, "", {}});
  } catch (const std::exception&) {
    host_.ShowMessage(MessageOf(road), MessageIcon::Error, ConversionNotes{path, messages::kUnexpected, "", {}});
  }
  return ConversionOutcome::Failed;
}

}  // namespace tessaline
