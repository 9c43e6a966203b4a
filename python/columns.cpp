#include "python/columns.h"

namespace karvex_python {

pybind11::list Texts(const std::vector<std::string>& texts)
{
    pybind11::list list(texts.size());
    for (size_t k = 0; k < texts.size(); ++k) {
        list[k] = pybind11::str(texts[k]);
    }
    return list;
}

}  // namespace karvex_python
