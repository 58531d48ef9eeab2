#include "archive_binding.h"

#include <pybind11/stl.h>

#include "archive/archive_store.h"
#include <travimo/model/error.h>
#include "records_result.h"

namespace travimo::python {

namespace {

using namespace pybind11::literals;

std::string PathOf(const py::object& path) {
  if (path.is_none()) return {};
  return py::module_::import("os").attr("fspath")(path).cast<std::string>();
}

std::optional<TransferKind> KindNamed(const std::optional<std::string>& name) {
  if (!name) return std::nullopt;
  for (TransferKind kind : {TransferKind::Lorvex, TransferKind::Ostrel, TransferKind::Brevane}) {
    std::string known = KindName(kind);
    if (known.size() == name->size() &&
        std::equal(known.begin(), known.end(), name->begin(),
                   [](char a, char b) { return std::tolower(a) == std::tolower(b); })) {
      return kind;
    }
  }
  throw py::value_error("type is \"lorvex\", \"ostrel\" or \"brevane\", not \"" + *name + "\"");
}

class PythonArchive {
 public:
  // Failures are RuntimeErrors, which reach Python as TravimoError.
  explicit PythonArchive(const py::object& path)
      : store_(archive::OpenSqliteArchive(archive::ArchivePath(PathOf(path)))) {}

  std::string Path() const { return store_->Location(); }

  // Rows oldest first; the Python side makes them named tuples.
  py::list Reads(std::optional<int64_t> since, std::optional<int64_t> until,
                 std::optional<std::string> type, std::optional<std::string> idCode,
                 std::optional<std::string> device, bool failed) {
    archive::HistoryFilter filter{since, until, KindNamed(type), std::move(idCode),
                                  std::move(device), failed};
    py::list rows;
    for (const auto& r : store_->History(filter)) {
      rows.append(py::make_tuple(r.id, r.startedUtcMs, r.utcOffsetMinutes, r.source, r.device,
                                 r.instrument, r.records, r.errorNumber, r.errorName, r.parentId));
    }
    return rows;
  }

  Records RecordsOfRead(int64_t id) {
    Records records = RecordsOf(store_->Load(id).results);
    records.archiveEntry = id;
    return records;
  }

  py::bytes Raw(int64_t id) {
    const auto raw = store_->Load(id).raw;
    return py::bytes(reinterpret_cast<const char*>(raw.data()), raw.size());
  }

 private:
  std::unique_ptr<archive::ArchiveStore> store_;
};

}  // namespace

std::optional<int64_t> KeepInArchive(PythonControl& c, const py::object& where,
                                     const ReadResults& results, int64_t startedUtcMs) {
  if (where.is_none() || (py::isinstance<py::bool_>(where) && !where.cast<bool>())) return {};
  const std::string path = py::isinstance<py::bool_>(where) ? std::string() : PathOf(where);
  const auto& errors = c.Site().errors;
  try {
    archive::ReadEntry entry = archive::EntryOfRead(c.Control(), c.Serial().Received(), results,
                                                    errors.empty() ? 0 : errors.back(),
                                                    startedUtcMs, archive::NowUtcMs());
    entry.source = "python";
    entry.device = c.Serial().LastDevice();
    return archive::KeepRead(path, entry);
  } catch (const std::exception& error) {
    const std::string text = std::string("the read was not archived: ") + error.what();
    if (PyErr_WarnEx(PyExc_RuntimeWarning, text.c_str(), 1) != 0) throw py::error_already_set();
  }
  return {};
}

void BindArchive(py::module_& module) {
  py::class_<PythonArchive>(module, "_Archive")
      .def(py::init<const py::object&>(), "path"_a = py::none())
      .def_property_readonly("path", &PythonArchive::Path)
      .def("reads", &PythonArchive::Reads, "since"_a, "until"_a, "type"_a, "id_code"_a,
           "device"_a, "failed"_a)
      .def("records", &PythonArchive::RecordsOfRead, "n"_a)
      .def("raw", &PythonArchive::Raw, "n"_a);
}

}  // namespace travimo::python
