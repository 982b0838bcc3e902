// Installation step 1: the vendor and model lists under "ServiceProviders" (the data of every
// entry names this library's file) and a fresh model database "db", both below the service key.
//
// Run by the installer on its one thread; nothing else writes these keys meanwhile.
#pragma once

namespace installation {

// Nothing is written when the service key does not exist. The database is written only into a
// "db" key this call created: one that could not be deleted is left as it was.
void write_model_lists();

}  // namespace installation
