// SPDX-License-Identifier: MIT
#include "quelix/failure_cause.h"

#include <vector>

#include "QuelixSdk_205KWMX.h"

namespace quelix::tool {

std::string FailureCause(int32_t camera)
{
    std::vector<int32_t> newestFirst;
    for (int32_t code = Quelix_GetLastError(camera); code != 0; code = Quelix_GetLastError(camera))
        newestFirst.push_back(code);
    if (newestFirst.empty())
        return "error 0";
    std::string text = "error " + std::to_string(newestFirst.back());
    for (size_t i = newestFirst.size() - 1; i-- > 0;)
        text += (i == newestFirst.size() - 2 ? ", followed by " : ", ") + std::to_string(newestFirst[i]);
    return text;
}

}  // namespace quelix::tool
