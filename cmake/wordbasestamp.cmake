# cmake -DOUTPUT=<data>/<stamp> -DINPUTS=<file;file;...> -P wordbasestamp.cmake
#
# Writes a word base's version stamp: a digest of what the base is made from
# (the word list, the genre list and the builder), so that the stamp changes
# exactly when a rebuilt base may differ. Paths play no part in it.
set(digests "")
foreach(input IN LISTS INPUTS)
    file(SHA256 ${input} digest)
    string(APPEND digests ${digest})
endforeach()
string(SHA256 stamp "${digests}")
file(WRITE ${OUTPUT} "${stamp}\n")
