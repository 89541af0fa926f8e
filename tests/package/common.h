/* found in the working directory, from row.h too */
