#include "OutputsFile.h"

#include "platform/AtomicFile.h"

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
    return static_cast<bool>(kova::writeFileAtomically(file, outputsText(outputs)));
}

}  // namespace ferroxan
