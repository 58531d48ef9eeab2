#include <travimo/platform/posix/read.h>

#include <vector>

#include <travimo/model/error.h>
#include <travimo/platform/posix/json_property_bag.h>
#include <travimo/platform/posix/site.h>

namespace travimo {

namespace {

void LoadProperties(Travimo& control, const std::filesystem::path& props) {
  if (props.empty()) return;
  JsonPropertyBag bag = JsonPropertyBag::Load(props);
  if (bag.Existed()) control.ReadProperties(bag);
}

void SaveProperties(Travimo& control, const std::filesystem::path& props) {
  if (props.empty()) return;
  JsonPropertyBag bag = JsonPropertyBag::Load(props);  // keeps keys others wrote
  control.WriteProperties(bag);
  bag.Save(props);
}

}  // namespace

void ApplyReadOptions(Travimo& control, const ReadOptions& options) {
  if (options.type) control.TravimoType(*options.type);
  if (options.points) control.NumberOfPoints(*options.points);
  if (options.data) control.ScanDataType(*options.data);
  if (options.units) control.Temp_Units(*options.units);
  if (options.blueLine) control.BlueLineTrigger(*options.blueLine);
  if (options.settings) control.Settings(*options.settings);
  if (options.port) control.CommPort(*options.port);
  if (!options.raw.empty()) {
    control.OutPutFileName(options.raw.string());
    control.SaveRawData(true);
  }
}

namespace {

void ThrowIfFailed(const std::vector<int32_t>& errors, const Travimo& control) {
  if (errors.empty()) return;
  throw RuntimeError(errors.back(), std::string(kControlSource), control.LastErrorDescription());
}

}  // namespace

ReadResults Read(const ReadOptions& options) {
  posix::Site site(options.device, options.locale);
  std::vector<int32_t> errors;
  site.events.onError = [&errors](int32_t number) { errors.push_back(number); };
  if (!options.trace.empty()) site.TraceTo(options.trace.string());

  Travimo control(site.Services());
  control.InitProperties();
  LoadProperties(control, options.props);
  ApplyReadOptions(control, options);
  ThrowIfFailed(errors, control);  // a setting the control refused

  const CollectionSnapshot before = SnapshotOf(control);
  control.ReadTravimo();
  ReadResults results = CollectResults(control, FilledKind(before, control));
  SaveProperties(control, options.props);
  ThrowIfFailed(errors, control);
  return results;
}

}  // namespace travimo
