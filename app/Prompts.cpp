#include "app/Prompts.h"

namespace kalvor {

std::string standardPrompt() {
    return " Anzahl der gewünschten Würfe eingeben,\r"
           "  Modus wählen und Start drücken.\r"
           "  Oder Import drücken und entspr. Datei der\r"
           "  Spielbank Hamburg angeben.";
}

}  // namespace kalvor
