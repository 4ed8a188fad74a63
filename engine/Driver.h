// The driver named by a connect text ("dBASE IV;", "Excel 8.0;"), matched without regard to case.
#pragma once

#include <string>

namespace engine {

enum class Driver { DbaseIII, DbaseIV, DbaseV, Excel };

// The driver the connect text names: "dBASE III;", "dBASE IV;", "dBASE V;", "dBASE 5.0;" or
// "Excel 8.0;", in any case, the final semicolon optional. Throws EngineError for an empty or
// unknown driver, or for options after the driver name, which no driver here understands.
Driver parseDriver(const std::string& connect);

inline bool isDbase(Driver driver) { return driver != Driver::Excel; }

}  // namespace engine
