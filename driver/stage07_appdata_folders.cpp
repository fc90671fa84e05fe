#include "cleaning/environment/special_folders.h"
#include "cleaning/files/file_removal.h"
#include "cleaning/files/guid_folders.h"
#include "driver/stages.h"

namespace driver {

void remove_appdata_folders(cleaning::product_cleaner&) {
    cleaning::remove_folder(cleaning::get_appdata_folder() + "Corvane\\Tarvello");
    cleaning::remove_folder(cleaning::get_appdata_folder() + "Corvane\\TVPRO");
    cleaning::remove_folder(cleaning::get_common_appdata_folder() + "Corvane\\Tarvello");
    cleaning::remove_guid_folders("Tarvello.*");
    cleaning::remove_empty_folder(cleaning::get_appdata_folder() + "Corvane");
    cleaning::remove_empty_folder(cleaning::get_common_appdata_folder() + "Corvane");
}

}  // namespace driver
