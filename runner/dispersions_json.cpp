#include "runner/dispersions_json.h"

namespace runner {

nlohmann::ordered_json DispersionsJson(const std::vector<SweepInput>& inputs)
{
    nlohmann::ordered_json dispersions = nlohmann::ordered_json::array();
    for (const SweepInput& d : inputs) {
        nlohmann::ordered_json one = {
            {"quantity", d.quantity}, {"column", d.column}, {"distribution", d.normal ? "normal" : "uniform"}};
        one[d.normal ? "mean" : "low"] = d.a;
        one[d.normal ? "deviation" : "high"] = d.b;
        dispersions.push_back(one);
    }
    return dispersions;
}

std::vector<SweepInput> ReadDispersionsJson(const nlohmann::ordered_json& json)
{
    std::vector<SweepInput> inputs;
    for (const nlohmann::ordered_json& d : json) {
        SweepInput input;
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
