# cmake -DOUTPUT=file -DINPUTS="a;b;c" -P Concat.cmake: OUTPUT becomes the
# inputs one after the other.
file(WRITE ${OUTPUT} "")
foreach(input IN LISTS INPUTS)
  file(READ ${input} text)
  file(APPEND ${OUTPUT} "${text}\n")
endforeach()
