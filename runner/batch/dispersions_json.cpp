#include "runner/batch/dispersions_json.h"

namespace runner {

nlohmann::ordered_json DispersionsJson(const std::vector<DispersedInput>& inputs)
{
    nlohmann::ordered_json dispersions = nlohmann::ordered_json::array();
    for (const DispersedInput& d : inputs) {
        nlohmann::ordered_json one = {
            {"quantity", d.quantity}, {"column", d.column}, {"distribution", d.normal ? "normal" : "uniform"}};
        one[d.normal ? "mean" : "low"] = d.a;
        one[d.normal ? "deviation" : "high"] = d.b;
        dispersions.push_back(one);
    }
    return dispersions;
}

std::vector<DispersedInput> ReadDispersionsJson(const nlohmann::ordered_json& json)
{
    std::vector<DispersedInput> inputs;
    for (const nlohmann::ordered_json& d : json) {
        DispersedInput input;
        input.quantity = d.at("quantity").get<std::string>();
        input.column = d.at("column").get<std::string>();
        input.normal = d.at("distribution").get<std::string>() == "normal";
        input.a = d.at(input.normal ? "mean" : "low").get<double>();
        input.b = d.at(input.normal ? "deviation" : "high").get<double>();
        inputs.push_back(input);
    }
    return inputs;
}

}  // namespace runner
