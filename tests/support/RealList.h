#pragma once
#include <filesystem>
#include <optional>
#include <string>

namespace testsupport {

// The published KEN_ALL.CSV, unzipped once per test process into a temporary
// folder. Empty, with `whyMissing` set, when the zip is not on this machine.
std::optional<std::filesystem::path> realList(std::string* whyMissing = nullptr);

// The published business-office list: JIGYOSYO.CSV unzipped the same way
// (DOZUZEZO_REAL_BUSINESS_CSV where unzipped beforehand), and its archive.
std::optional<std::filesystem::path> realBusinessList(std::string* whyMissing = nullptr);
std::optional<std::filesystem::path> realBusinessZip(std::string* whyMissing = nullptr);

} // namespace testsupport
