#include "online/UpdateOffer.h"

TUpdateOffer &UpdateOffer()
{
    static TUpdateOffer offer;
    return offer;
}
