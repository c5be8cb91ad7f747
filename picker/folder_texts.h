// Texts of the folder picker's messages. They name the folder between the two parts and carry the
// executable's base name as their caption.
#pragma once

constexpr char kFolderMessageHead[] = "The folder:\n\n";
constexpr char kNotExistQuestion[] = "\n\ndoes not exist. Do you want the folder to be created?";
constexpr char kInvalidMessage[] = "\n\nis invalid. Please reenter.";
constexpr char kNotCreatedMessage[] = "\n\ncan not be created. Please double check.";
