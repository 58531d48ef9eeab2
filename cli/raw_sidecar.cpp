#include "cli/raw_sidecar.h"

#include "cli/native_files.h"

namespace travimo::cli {

namespace {

template <class T>
void Fill(std::optional<T>& option, T value) {
  if (!option) option = value;
}

}  // namespace

std::optional<RawDataSidecar> MatchingSidecar(const std::string& file, std::string_view bytes,
                                              std::ostream& err) {
  SidecarLookup lookup = FindMatchingSidecar(file, bytes, ReadUserFile);
  if (!lookup.note.empty()) err << "travimo: " << lookup.note << '\n';
  return std::move(lookup.sidecar);
}

void ApplyMatchingSidecar(const std::string& file, std::string_view bytes,
                          ControlSettings& settings, std::ostream& err) {
  const std::optional<RawDataSidecar> sidecar = MatchingSidecar(file, bytes, err);
  if (!sidecar) return;
  Fill(settings.type, sidecar->travimoType);
  Fill(settings.dataType, sidecar->scanDataType);
  Fill(settings.units, sidecar->tempUnits);
  Fill(settings.points, sidecar->numberOfPoints);
  Fill(settings.blueLine, sidecar->blueLineTrigger);
}

}  // namespace travimo::cli
