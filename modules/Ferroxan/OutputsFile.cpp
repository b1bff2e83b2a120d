#include "OutputsFile.h"

#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace ferroxan {

std::string outputsText(const OutputStates& outputs) {
    std::string text = "; Digital outputs of the simulated card (1 on, 0 off).\r\n[Outputs]\r\n";
    for (int i = 0; i < kDigitalOutputs; ++i) {
        text += "DO" + std::to_string(i) + "=" + (outputs[i] ? "1" : "0") + "\r\n";
    }
    return text;
}

bool writeOutputs(const fs::path& file, const OutputStates& outputs) {
    fs::path temporary = file;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << outputsText(outputs);
        if (!out.flush()) {
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, file, ec);
    return !ec;
}

}  // namespace ferroxan
