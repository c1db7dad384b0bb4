#include "src/config/ParameterIds.h"

#include <iterator>

const ParamIdEntry paramIdTable[] = {
#define KROMA_PARAM_ID(name, index, length) {#name, index, length},
#include "src/config/ParameterIdList.h"
#undef KROMA_PARAM_ID
};

const int paramIdCount = static_cast<int>(std::size(paramIdTable));
