#include "online/EWebRequest.h"

EWebRequest::EWebRequest(const std::string &AMessage)
    : std::runtime_error(AMessage)
{}
